// Named program state, readable by name (and index for arrays), so that a
// script or a test can read any value the program keeps: "SweepPoints",
// "FreqList(3)", "PointData(7)".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orbilan::ui {

struct ComplexValue {
    double re = 0;
    double im = 0;
};

// Integers, doubles, singles, booleans, texts and complex pairs keep their
// type, so that a reader can print each in its shortest exact form.
using StateValue = std::variant<std::int64_t, double, float, bool, std::string, ComplexValue>;

class StateRegistry {
public:
    using Scalar = std::function<StateValue()>;
    // Returns nullopt for an index outside the array.
    using Indexed = std::function<std::optional<StateValue>(int)>;

    void add(const std::string& name, Scalar getter) { scalars_[name] = std::move(getter); }
    void addArray(const std::string& name, Indexed getter) { arrays_[name] = std::move(getter); }

    bool has(const std::string& name) const { return scalars_.count(name) || arrays_.count(name); }
    bool isArray(const std::string& name) const { return arrays_.count(name) != 0; }
    std::optional<StateValue> get(const std::string& name) const;
    std::optional<StateValue> get(const std::string& name, int index) const;
    std::vector<std::string> names() const;

private:
    std::map<std::string, Scalar> scalars_;
    std::map<std::string, Indexed> arrays_;
};

// "42", "0.1", "true", the text itself, "re,im"; reals in their shortest exact form.
std::string stateValueText(const StateValue& value);

} // namespace orbilan::ui
