#include "game/script.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <span>
#include <utility>

#include "shared/board_codec.h"

namespace game {

namespace {

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
        }
        if (i > start) {
            tokens.push_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

[[noreturn]] void Fail(int line, const std::string& what) {
    throw ReplayError("line " + std::to_string(line) + ": " + what);
}

// Mouse positions far outside any screen would overflow the paddle's 32-bit position.
constexpr double kLargestMove = 1.0e9;
constexpr std::uint64_t kMostFrames = 1'000'000'000'000ull;

// The keys a script names in words; letters and digits stand for themselves.
struct NamedKey {
    std::string_view name;
    std::int16_t code;
};
constexpr std::array<NamedKey, 9> kNamedKeys{{
    {"Left", kKeyLeft},
    {"Right", kKeyRight},
    {"Space", kKeySpace},
    {"Enter", kKeyReturn},
    {"PadA", kPadA},
    {"PadX", kPadX},
    {"PadStart", kPadStart},
    {"PadLeft", kPadLeft},
    {"PadRight", kPadRight},
}};

bool IsLetterOrDigitCode(std::int16_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9');
}

std::optional<std::string> KeyName(std::int16_t code) {
    if (IsLetterOrDigitCode(code)) {
        return std::string(1, static_cast<char>(code));
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.code == code) {
            return std::string(key.name);
        }
    }
    return std::nullopt;
}

// A decimal number as std::from_chars reads one (no space, no '+', no hex), through strtod
// because not every C++ library the game is built with has from_chars for doubles. The program
// never changes the C locale, so the decimal point is always '.'.
bool ParseDecimal(std::string_view token, double& out) {
    if (token.empty() || token.front() == '+' ||
        token.find_first_not_of("0123456789.eE+-") != std::string_view::npos) {
        return false;
    }
    const std::string text(token);
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size();
}

double ParseX(std::string_view token, int line) {
    double x = 0;
    if (!ParseDecimal(token, x) || !std::isfinite(x)) {
        Fail(line, "move needs a number, got '" + std::string(token) + "'");
    }
    if (std::fabs(x) > kLargestMove) {
        Fail(line, "move position " + std::string(token) + " is out of range");
    }
    return x;
}

double ParseStick(std::string_view token, int line) {
    double x = 0;
    if (!ParseDecimal(token, x) || !(x >= -1 && x <= 1)) {
        Fail(line, "stick needs a number from -1 to 1, got '" + std::string(token) + "'");
    }
    return x;
}

std::uint64_t ParseWhole(std::string_view token, std::uint64_t most, int line,
                         const std::string& what) {
    std::uint64_t n = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), n);
    if (error != std::errc() || end != token.data() + token.size() || n > most) {
        Fail(line, what + " needs a whole number from 0 to " + std::to_string(most) + ", got '" +
                       std::string(token) + "'");
    }
    return n;
}

std::int16_t ParseKey(std::string_view name, std::string_view token, int line) {
    if (token.size() == 1 && std::isalnum(static_cast<unsigned char>(token[0]))) {
        // Virtual key codes of letters and digits are their upper-case characters.
        return static_cast<std::int16_t>(std::toupper(static_cast<unsigned char>(token[0])));
    }
    for (const NamedKey& key : kNamedKeys) {
        if (key.name == token) {
            return key.code;
        }
    }
    Fail(line, std::string(name) +
                   " needs one letter or digit, or Left, Right, Space, Enter, PadA, PadX, "
                   "PadStart, PadLeft or PadRight, got '" +
                   std::string(token) + "'");
}

using CommandName = std::pair<std::string_view, ReplayCommand::Kind>;
constexpr std::array<CommandName, 10> kNames{{
    {"move", ReplayCommand::Kind::Move},
    {"release", ReplayCommand::Kind::Release},
    {"add", ReplayCommand::Kind::Add},
    {"key", ReplayCommand::Kind::Key},
    {"keyup", ReplayCommand::Kind::KeyUp},
    {"stick", ReplayCommand::Kind::Stick},
    {"frames", ReplayCommand::Kind::Frames},
    {"dump", ReplayCommand::Kind::Dump},
    {"seed", ReplayCommand::Kind::Seed},
    {"board", ReplayCommand::Kind::Board},
}};

std::string NameOf(ReplayCommand::Kind kind) {
    return std::string(std::find_if(kNames.begin(), kNames.end(), [kind](const CommandName& c) {
                           return c.second == kind;
                       })->first);
}

constexpr std::string_view kBase64 =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string ToBase64(std::span<const std::byte> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = group << 8 | (k < n ? std::to_integer<std::uint32_t>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            text += k <= n ? kBase64[group >> (18 - 6 * k) & 63u] : '=';
        }
    }
    return text;
}

// Strict: whole groups of four, nothing but the 64 characters, and at most two '=' at the end.
std::optional<std::vector<std::byte>> FromBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') {
        ++padding;
    }
    std::vector<std::byte> bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    for (std::size_t i = 0; i + padding < text.size(); ++i) {
        const std::size_t value = kBase64.find(text[i]);
        if (value == std::string_view::npos) {
            return std::nullopt;
        }
        group = group << 6 | static_cast<std::uint32_t>(value);
        if (i % 4 == 3) {
            for (const int shift : {16, 8, 0}) {
                bytes.push_back(static_cast<std::byte>(group >> shift & 0xFFu));
            }
            group = 0;
        }
    }
    // The last group: three characters carry two bytes, two carry one.
    if (padding == 1) {
        bytes.push_back(static_cast<std::byte>(group >> 10 & 0xFFu));
        bytes.push_back(static_cast<std::byte>(group >> 2 & 0xFFu));
    } else if (padding == 2) {
        bytes.push_back(static_cast<std::byte>(group >> 4 & 0xFFu));
    }
    return bytes;
}

std::shared_ptr<const core::Board> ParseBoard(std::string_view token, int line) {
    const std::optional<std::vector<std::byte>> bytes = FromBase64(token);
    if (!bytes) {
        Fail(line, "board needs the board file in base64");
    }
    try {
        return std::make_shared<const core::Board>(core::DecodeBoard(*bytes, "board"));
    } catch (const core::BoardError& e) {
        Fail(line, e.what());
    }
}

std::string FormatNumber(double x) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

}  // namespace

std::vector<ReplayCommand> ParseReplayScript(std::string_view text) {
    if (text.starts_with("VNTR")) {
        throw ReplayError("this is a board file, not a script");
    }
    std::vector<ReplayCommand> script;
    int lineNumber = 0;
    bool inputSeen = false;
    bool seedSeen = false;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        const std::vector<std::string_view> tokens = Tokens(line);
        if (tokens.empty()) {
            continue;
        }
        using Kind = ReplayCommand::Kind;
        const std::string_view name = tokens[0];
        const auto* known = std::find_if(kNames.begin(), kNames.end(),
                                         [name](const auto& entry) { return entry.first == name; });
        if (known == kNames.end()) {
            Fail(lineNumber, "unknown command '" + std::string(name) + "'");
        }
        ReplayCommand command;
        command.kind = known->second;
        command.line = lineNumber;
        const bool takesArgument = command.kind != Kind::Release && command.kind != Kind::Add &&
                                   command.kind != Kind::Dump;
        if (tokens.size() != (takesArgument ? 2u : 1u)) {
            Fail(lineNumber, std::string(name) + (takesArgument ? " takes exactly one argument"
                                                                : " takes no argument"));
        }
        switch (command.kind) {
            case Kind::Move:
                command.x = ParseX(tokens[1], lineNumber);
                break;
            case Kind::Stick:
                command.x = ParseStick(tokens[1], lineNumber);
                break;
            case Kind::Key:
            case Kind::KeyUp:
                command.keyCode = ParseKey(name, tokens[1], lineNumber);
                break;
            case Kind::Frames:
                command.count = ParseWhole(tokens[1], kMostFrames, lineNumber, "frames");
                break;
            case Kind::Seed:
                // The first ball takes its angle at start-up, before any input.
                if (inputSeen || seedSeen) {
                    Fail(lineNumber, seedSeen ? "the seed is given twice"
                                              : "seed must come before every other command "
                                                "but board");
                }
                seedSeen = true;
                command.count = ParseWhole(tokens[1], std::numeric_limits<std::uint64_t>::max(),
                                           lineNumber, "seed");
                break;
            case Kind::Board:
                command.board = ParseBoard(tokens[1], lineNumber);
                break;
            case Kind::Release:
            case Kind::Add:
            case Kind::Dump:
                break;
        }
        inputSeen = inputSeen || (command.kind != Kind::Seed && command.kind != Kind::Board);
        script.push_back(std::move(command));
    }
    return script;
}

std::string FormatReplayCommand(const ReplayCommand& command) {
    using Kind = ReplayCommand::Kind;
    const std::string name = NameOf(command.kind);
    switch (command.kind) {
        case Kind::Move:
        case Kind::Stick:
            return name + " " + FormatNumber(command.x);
        case Kind::Key:
        case Kind::KeyUp:
            return name + " " + KeyName(command.keyCode).value_or("?");
        case Kind::Frames:
        case Kind::Seed:
            return name + " " + std::to_string(command.count);
        case Kind::Board:
            return name + " " + (command.board ? ToBase64(core::EncodeBoard(*command.board)) : "");
        case Kind::Release:
        case Kind::Add:
        case Kind::Dump:
            break;
    }
    return name;
}

std::optional<ReplayCommand> CommandOf(const InputEvent& event) {
    using Kind = ReplayCommand::Kind;
    ReplayCommand command;
    switch (event.kind) {
        case InputEvent::Kind::MouseMove:
            command.kind = Kind::Move;
            command.x = static_cast<double>(event.X);
            return command;
        case InputEvent::Kind::MouseUp:
            if (event.Button != kLeftButton && event.Button != kRightButton) {
                return std::nullopt;
            }
            command.kind = event.Button == kLeftButton ? Kind::Release : Kind::Add;
            return command;
        case InputEvent::Kind::KeyDown:
        case InputEvent::Kind::KeyUp:
            if (event.KeyCode == kKeyM || !KeyName(event.KeyCode)) {
                return std::nullopt;
            }
            command.kind = event.kind == InputEvent::Kind::KeyDown ? Kind::Key : Kind::KeyUp;
            command.keyCode = event.KeyCode;
            return command;
        case InputEvent::Kind::PadStick:
            command.kind = Kind::Stick;
            command.x = static_cast<double>(event.X);
            return command;
        case InputEvent::Kind::MouseDown:
        case InputEvent::Kind::QueryUnload:
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<InputEvent> EventOf(const ReplayCommand& command) {
    using Kind = ReplayCommand::Kind;
    InputEvent event;
    switch (command.kind) {
        case Kind::Move:
            event.kind = InputEvent::Kind::MouseMove;
            event.X = static_cast<float>(command.x);
            return event;
        case Kind::Release:
        case Kind::Add:
            event.kind = InputEvent::Kind::MouseUp;
            event.Button = command.kind == Kind::Release ? kLeftButton : kRightButton;
            return event;
        case Kind::Key:
        case Kind::KeyUp:
            event.kind =
                command.kind == Kind::Key ? InputEvent::Kind::KeyDown : InputEvent::Kind::KeyUp;
            event.KeyCode = command.keyCode;
            return event;
        case Kind::Stick:
            event.kind = InputEvent::Kind::PadStick;
            event.X = static_cast<float>(command.x);
            return event;
        case Kind::Frames:
        case Kind::Dump:
        case Kind::Seed:
        case Kind::Board:
            return std::nullopt;
    }
    return std::nullopt;
}

ScriptHead HeadOf(const std::vector<ReplayCommand>& script) {
    ScriptHead head;
    for (const ReplayCommand& command : script) {
        if (command.kind == ReplayCommand::Kind::Seed) {
            head.seed = command.count;
        } else if (command.kind == ReplayCommand::Kind::Board) {
            head.boards.push_back(*command.board);
        } else {
            break;
        }
    }
    return head;
}

}  // namespace game
