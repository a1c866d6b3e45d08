// Any bytes as a session command line: the parser answers a command, nothing
// or a reason, in time in proportion to the line; an accepted line holds no
// more afters inside one another than allowed, each after's command reads
// again to the same command, and every quoted text survives quoting.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli/session_protocol.h"
#include "fuzz_check.h"

using namespace orbilan::cli;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const ParsedLine parsed = parseSessionLine(line);
    check(!(parsed.command && parsed.isError()));
    if (line.size() > MaxLineBytes)
        check(parsed.isError());
    if (!parsed.command)
        return 0;

    int depth = 0;
    SessionCommand cmd = *parsed.command;
    while (cmd.verb == SessionCommand::Verb::After) {
        check(cmd.count >= 1);
        check(++depth <= MaxAfterNesting);
        const ParsedLine then = parseSessionLine(cmd.then);
        check(then.command.has_value());
        cmd = *then.command;
        check(cmd.verb != SessionCommand::Verb::Start && cmd.verb != SessionCommand::Verb::Quit);
    }
    for (const std::string& text : {cmd.text, cmd.answer.text}) {
        const std::string quoted = quoteText(text);
        std::size_t pos = 0;
        std::string error;
        const auto back = readQuoted(quoted, pos, error);
        check(back.has_value() && *back == text && pos == quoted.size());
    }
    // An answer line stays one printable line.
    for (char c : answerLine(line))
        check(c != '\r' && c != '\n' && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    return 0;
}
