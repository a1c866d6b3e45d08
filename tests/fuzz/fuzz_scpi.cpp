// The SCPI line grammar and the order commands run in, on any bytes a client
// may send. Invariants: a line that parses writes out and parses back to the
// same units; its units have headers within bounds and finite numbers; and
// the engine, fed the lines, ends with nothing stuck in its queue and an
// error queue within its bound, answering one line per line.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "remote/scpi_engine.h"
#include "remote/scpi_parser.h"

using namespace orbilan::remote;

namespace {

std::string written(const ParsedScpiLine& line)
{
    std::string out;
    for (std::size_t u = 0; u < line.units.size(); ++u) {
        const ScpiUnit& unit = line.units[u];
        if (u)
            out += ';';
        if (unit.absolute)
            out += ':';
        for (std::size_t k = 0; k < unit.keywords.size(); ++k)
            out += (k ? ":" : "") + unit.keywords[k];
        if (unit.query)
            out += '?';
        for (std::size_t p = 0; p < unit.parameters.size(); ++p) {
            const ScpiParameter& param = unit.parameters[p];
            out += p ? "," : " ";
            if (param.kind == ScpiParameter::Kind::String)
                out += quoteScpiString(param.text);
            else
                out += param.text;
            if (param.kind == ScpiParameter::Kind::Number && !param.suffix.empty())
                out += " " + param.suffix;
        }
    }
    return out;
}

bool sameUnits(const ParsedScpiLine& a, const ParsedScpiLine& b)
{
    if (a.units.size() != b.units.size())
        return false;
    for (std::size_t u = 0; u < a.units.size(); ++u) {
        const ScpiUnit& x = a.units[u];
        const ScpiUnit& y = b.units[u];
        if (x.common != y.common || x.absolute != y.absolute || x.query != y.query || x.keywords != y.keywords ||
            x.parameters.size() != y.parameters.size())
            return false;
        for (std::size_t p = 0; p < x.parameters.size(); ++p) {
            const ScpiParameter& m = x.parameters[p];
            const ScpiParameter& n = y.parameters[p];
            if (m.kind != n.kind || m.text != n.text || m.suffix != n.suffix || m.value != n.value)
                return false;
        }
    }
    return true;
}

void checkLine(const std::string& text)
{
    const ParsedScpiLine line = parseScpiLine(text);
    if (line.error) {
        check(line.error->code == scpi::SyntaxError);
        return;
    }
    for (const ScpiUnit& unit : line.units) {
        check(!unit.keywords.empty());
        check(!unit.common || unit.keywords.size() == 1);
        for (const std::string& k : unit.keywords)
            check(!k.empty() && k.size() <= MaxKeywordLength + 1);
        for (const ScpiParameter& p : unit.parameters)
            check(p.kind != ScpiParameter::Kind::Number || std::isfinite(p.value));
    }
    const ParsedScpiLine again = parseScpiLine(written(line));
    check(!again.error);
    check(sameUnits(line, again));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string& line : lines)
        checkLine(line);

    // The engine over a small table with every kind of parameter and a
    // command that returns at once and serves the rest meanwhile.
    CommandTable table;
    ErrorQueue errors(8);
    ScpiEngine engine(table, errors);
    int value = 0;
    std::size_t answerLines = 0;
    engine.send = [&](std::uint64_t, const std::string& answer) {
        check(answer.find('\n') == std::string::npos);
        ++answerLines;
    };
    using T = ParamDef::Type;
    table.add("SET", {{T::Count, "value", 0, 100, {}, false}}, "", "", [&](CommandCall& c) {
        value = static_cast<int>(c.arg(0).number);
    });
    table.add("SET?", {}, "", "", [&](CommandCall& c) { c.answer(std::to_string(value)); });
    table.add("[SENSe:]FREQuency:STARt", {{T::Frequency, "start", 0, 6e7, {}, false}}, "", "", [](CommandCall&) {});
    table.add("[SENSe:]MODE", {{T::Choice, "mode", 0, 0, {"TRANsmission", "REFLection"}, false}}, "", "",
              [](CommandCall&) {})
        .group = 1;
    table.add("[SENSe:]CDS", {{T::Boolean, "cds", 0, 1, {}, false}}, "", "", [](CommandCall&) {}).group = 1;
    table.add("ADC:WAIT", {{T::Milliseconds, "wait", 0, 250, {}, true}}, "", "", [](CommandCall&) {});
    table.add("MMEM:STOR:CAL", {{T::String, "name", 0, 0, {}, false}}, "", "", [](CommandCall&) {});
    table.add("SYSTem:ERRor[:NEXT]?", {}, "", "", [&](CommandCall& c) { c.answer(errors.next()); }).readOnly();
    table.add("*OPC?", {}, "", "", [](CommandCall& c) { c.answer("1"); }).readOnly().waitsForOperations = true;
    table.add("BG", {}, "", "", [&](CommandCall&) {
        engine.runInBackground([&] { engine.dispatch(); }, true, false);
    });
    for (const std::string& line : lines)
        engine.receiveLine(1, line);
    engine.dispatch();
    check(engine.pendingLines() == 0);
    check(errors.size() <= errors.capacity());
    check(answerLines <= lines.size());
    check(!engine.operationsPending());
    return 0;
}
