#include "ui/state_registry.h"

#include "ui/number_text.h"

namespace orbilan::ui {

std::optional<StateValue> StateRegistry::get(const std::string& name) const
{
    auto it = scalars_.find(name);
    if (it == scalars_.end())
        return std::nullopt;
    return it->second();
}

std::optional<StateValue> StateRegistry::get(const std::string& name, int index) const
{
    auto it = arrays_.find(name);
    if (it == arrays_.end())
        return std::nullopt;
    return it->second(index);
}

std::vector<std::string> StateRegistry::names() const
{
    std::vector<std::string> out;
    for (const auto& [name, getter] : scalars_)
        out.push_back(name);
    for (const auto& [name, getter] : arrays_)
        out.push_back(name);
    return out;
}

std::string stateValueText(const StateValue& value)
{
    struct Visitor {
        std::string operator()(std::int64_t v) const { return std::to_string(v); }
        std::string operator()(double v) const { return shortestText(v); }
        std::string operator()(float v) const { return shortestText(v); }
        std::string operator()(bool v) const { return v ? "true" : "false"; }
        std::string operator()(const std::string& v) const { return v; }
        std::string operator()(const ComplexValue& v) const { return shortestText(v.re) + "," + shortestText(v.im); }
    };
    return std::visit(Visitor{}, value);
}

} // namespace orbilan::ui
