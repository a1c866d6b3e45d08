#include "remote/remote_control.h"

#include <charconv>
#include <cmath>

#include "cal/text_file.h"
#include "touchstone/touchstone.h"

// What a client reads of a sweep: always the window's last complete pass, as
// one value, never the arrays a sweep under way is filling.

namespace orbilan::remote {

namespace {

// Reals in their shortest exact form; what has no finite value in the
// standard's stand-ins (9.9E37 for infinity, 9.91E37 for not a number).
void appendNumber(std::string& out, double v)
{
    if (std::isnan(v)) {
        out += "9.91E37";
        return;
    }
    if (std::isinf(v)) {
        out += v > 0 ? "9.9E37" : "-9.9E37";
        return;
    }
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, ec == std::errc() ? end : buf);
}

} // namespace

void RemoteControl::addDataCommands()
{
    auto lastSweep = [this](CommandCall& c) -> const cal::MeasuredSweep* {
        const auto& sweep = window_.lastSweep();
        if (!sweep || sweep->size() == 0) {
            c.fail(scpi::SettingsConflict, "no complete sweep yet");
            return nullptr;
        }
        return &*sweep;
    };

    query("[SENSe:]FREQuency:DATA?", "", {}, "the frequencies of the last complete sweep, comma-separated Hz",
          [lastSweep](CommandCall& c) {
              const cal::MeasuredSweep* sweep = lastSweep(c);
              if (!sweep)
                  return;
              std::string out;
              for (std::size_t k = 0; k < sweep->hz.size(); ++k)
                  out += (k ? "," : "") + std::to_string(sweep->hz[k]);
              c.answer(out);
          });

    query("CALCulate:DATA?", "SDATa|FDATa", {{ParamDef::Type::Choice, "data", 0, 0, {"SDATa", "FDATa"}, false}},
          "the last complete sweep: S11 or S21 as re,im pairs (SDATa), or the displayed Y1,Y2 (FDATa)",
          [lastSweep](CommandCall& c) {
              const cal::MeasuredSweep* sweep = lastSweep(c);
              if (!sweep)
                  return;
              const bool sParameters = c.arg(0).choice == 0;
              if (sParameters && sweep->mode != 0 && sweep->mode != 1) {
                  c.fail(scpi::SettingsConflict, "a group-delay sweep has no S parameters: read FDATa");
                  return;
              }
              std::string out;
              out.reserve(sweep->size() * 48);
              for (std::size_t k = 0; k < sweep->size(); ++k) {
                  const cal::Complex v = sParameters ? cal::SParameterOf(*sweep, k) : cal::DisplayedPairOf(*sweep, k);
                  if (k)
                      out += ',';
                  appendNumber(out, v.re);
                  out += ',';
                  appendNumber(out, v.im);
              }
              c.answer(out);
          });

    command("MMEMory:STORe:SNP", "\"NAME\"", {{ParamDef::Type::String, "file name", 0, 0, {}, false}},
            "the last complete sweep as Touchstone: .s1p (reflection, S11) or .s2p (transmission, S21)",
            [this, lastSweep](CommandCall& c) {
                const cal::MeasuredSweep* sweep = lastSweep(c);
                if (!sweep)
                    return;
                const auto file = touchstone::FromSweep(*sweep, "Orbilan");
                if (!file) {
                    c.fail(scpi::SettingsConflict, "a group-delay sweep has no Touchstone form");
                    return;
                }
                const std::string extension = file->ports == 1 ? ".s1p" : ".s2p";
                std::string name = c.arg(0).text;
                const int named = touchstone::PortsOfName(name);
                if (named != 0 && named != file->ports) {
                    c.fail(scpi::SettingsConflict, std::string("the last sweep was a ") +
                                                       (file->ports == 1 ? "reflection" : "transmission") +
                                                       " sweep: its file ends in " + extension);
                    return;
                }
                if (named == 0) {
                    const auto slash = name.rfind('/');
                    const auto dot = name.rfind('.');
                    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)) {
                        c.fail(scpi::ExecutionError, "a Touchstone file of this sweep ends in " + extension);
                        return;
                    }
                    name += extension;
                }
                std::string why;
                const auto path = folder_.forWriting(name, why);
                if (!path) {
                    c.fail(scpi::ExecutionError, why);
                    return;
                }
                if (const auto error =
                        cal::ReplaceFileContents(*path, touchstone::Text(file->header, file->ports, file->points)))
                    c.fail(scpi::ExecutionError,
                           "Error " + std::to_string(error->number) + ": " + error->description + ": " + name);
            });
}

} // namespace orbilan::remote
