#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cstdio>

#include "app/ArgumentText.h"
#include "app/OutputClash.h"
#include "app/Variants.h"
#include "base/ProgramLine.h"
#include "export/ExportTree.h"
#include "model/ConfigFileIo.h"
#include "model/Presets.h"
#include "model/ShownText.h"
#include "paramfile/ParamFile.h"

namespace {

const QString Description = QStringLiteral(
    "Grows a tree by recursive branching and shows it live with OpenGL.\n"
    "Without --export or --render the viewer window opens; with either, the tree is\n"
    "written to files and the program ends without opening a window (no X server needed).");

// Shown after the options in --help.
const QString Epilogue = QStringLiteral(
    "\nThe same parameters and the same --seed give the same tree: identical exports and\n"
    "identical pictures. Without --seed the leaves' random factors are seeded from the\n"
    "clock; the viewer shows the seed in use in its title and its control panel.\n"
    "\nIn the viewer, P saves a picture of the view and E exports the tree as .glb into the\n"
    "working folder, as dendrova-seed<n>-<k>.png and .glb under names not yet taken.\n"
    "\nExit status: 0 on success, 1 when a file cannot be written or no OpenGL context can\n"
    "be had for --render, 2 for an unknown option or a bad value (nothing is written).\n"
    "Ctrl+C, SIGTERM or SIGHUP stops --export and --render without leaving any file\n"
    "behind; the program then ends by that signal (a shell shows 130, 143 or 129).\n");

// Every option of the program, in the order --help lists them. To add an option, declare
// it here and read its value in ReadValues.
QList<QCommandLineOption> DeclaredOptions() {
    QList<QCommandLineOption> options{
        {QStringLiteral("params"),
         QStringLiteral("Read the parameters and the camera from <file> (a file or a pipe) "
                        "instead of TreeModl.Cfg in the working folder: a readable JSON file "
                        "as the control panel saves it (its seed counts when --seed is not "
                        "given), or a 96-byte record as TreeModl.Cfg holds it, with its window "
                        "size. Anything else, or a value out of range, is refused. <file> is "
                        "only read; the viewer keeps its settings in the working folder's "
                        "TreeModl.Cfg."),
         QStringLiteral("file")},
        {QStringLiteral("seed"),
         QStringLiteral("Seed the leaves' random factors with <n> (0 to 4294967295) instead "
                        "of the clock."),
         QStringLiteral("n")},
        {QStringLiteral("preset"),
         QStringLiteral("Grow the built-in preset <name> (see --list-presets; case, blanks "
                        "and hyphens do not matter) instead of the parameters read."),
         QStringLiteral("name")},
        {QStringLiteral("list-presets"),
         QStringLiteral("Print the names of the built-in presets.")},
        {QStringLiteral("export"),
         QStringLiteral("Write the tree (branches and leaves) to <out> and exit: binary glTF "
                        "for .glb, or .obj with a .mtl and the bark and leaf pictures as PNG "
                        "files beside it."),
         QStringLiteral("out")},
        {QStringLiteral("lods"),
         QStringLiteral("With a .glb --export, write <n> levels of detail (1 to 6) as sibling "
                        "nodes <name>_LOD0, <name>_LOD1, ..., each with at most half the "
                        "triangles of the one before; from 3 levels on the last is an impostor "
                        "of crossed pictures. Default 1: the full tree alone."),
         QStringLiteral("n")},
        {QStringLiteral("wind"),
         QStringLiteral("With a .glb --export, add wind data to every level (the attribute "
                        "_WIND: sway weight and phase), two morph targets and a looping "
                        "animation \"wind\" of 2 seconds.")},
        {QStringLiteral("render"),
         QStringLiteral("Draw one frame as the viewer would and write it to <out.png>, then "
                        "exit. Needs no X server."),
         QStringLiteral("out.png")},
        {QStringLiteral("size"),
         QStringLiteral("Picture size for --render (with --variants of each cell), up to "
                        "4096x4096 (default: the window "
                        "size stored in a 96-byte --params record, scaled down to fit "
                        "4096x4096, otherwise 540x350)."),
         QStringLiteral("WxH")},
        {QStringLiteral("lod"),
         QStringLiteral("Draw level <k> of the levels of detail in --render instead of the "
                        "full tree: of the chain of --lods levels, or without --lods of the "
                        "chain of k+1 levels (so --lod 2 alone is the impostor)."),
         QStringLiteral("k")},
        {QStringLiteral("no-overlay"),
         QStringLiteral("Leave the on-screen buttons and pictures out of --render.")},
        {QStringLiteral("variants"),
         QStringLiteral("Grow <n> trees (1 to 64) from the seeds --seed, --seed + 1, ... "
                        "(without --seed from the clock, said on stderr). --export writes each "
                        "to <out>-<seed>.glb (or .obj), the file --seed <seed> --export "
                        "<out>-<seed>.glb writes; --render draws them into one contact sheet, "
                        "ceil(sqrt(n)) a row, each tree whole and labelled with its seed in a "
                        "cell of the --size picture's size (no overlay), the cells scaled down "
                        "alike when the sheet would pass 4096x4096."),
         QStringLiteral("n")},
    };
    // Qt's own window-system options, accepted (and left to Qt) so that the viewer can
    // still be started with them.
    for (const char* name : {"platform", "display"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        options.append(qtOption);
    }
    return options;
}

// The value of `option` as the bytes of its argument.
std::string Value(const QCommandLineParser& parser, const char* option) {
    return ArgumentBytes(parser.value(QString::fromLatin1(option)));
}

bool EndsWith(const std::string& path, std::string_view suffix) {
    if (path.size() < suffix.size()) {
        return false;
    }
    for (size_t i = 0; i < suffix.size(); ++i) {
        const char c = path[path.size() - suffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != suffix[i]) {
            return false;
        }
    }
    return true;
}

// A decimal number 0..4294967295, nothing else.
std::optional<uint32_t> ParseSeed(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long long value = std::stoull(text);
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

// "WxH" with both sides 1..MaxRenderSide.
bool ParseSize(const std::string& text, int& width, int& height) {
    // Anchored as a whole: "$" alone would also let a trailing newline through.
    static const QRegularExpression form(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,5})[xX]([0-9]{1,5})")));
    const QRegularExpressionMatch match = form.match(QString::fromStdString(text));
    if (!match.hasMatch()) {
        return false;
    }
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return width >= 1 && height >= 1 && width <= MaxRenderSide && height <= MaxRenderSide;
}

// A bad value: fails with UsageExitCode.
Failure Bad(const std::string& message) {
    return Failure{message, UsageExitCode};
}

// Reads the --params file, opened once: its tree, camera, seed and window settings go
// into `options` and `seed`. Fails for a file that is refused.
Result<> ReadParams(const std::string& path, CommandLineOptions& options,
                    std::optional<uint32_t>& seed) {
    const auto bad = [&path](const std::string& why) {
        return Bad("bad value " + QuotedText(path) + " for --params: " + why);
    };
    // A pipe (`--params <(...)`) is read once, as a whole; one byte more than the limit
    // tells a file at the limit from a larger one.
    const Result<std::string> bytes = ReadNamedFile(path, MaxParamFileBytes + 1, true);
    if (!bytes) {
        return bad("cannot read this file: " + bytes.Error().message);
    }
    const Result<LoadedParamFile> file = ParseParamFile(*bytes);
    if (!file) {
        return bad(file.Error().message);
    }
    options.params = file->contents.params;
    options.camera = file->contents.camera;
    options.geometry = file->geometry;
    seed = file->contents.seed;
    for (const std::string& line : file->ignored) {
        options.notices.push_back(QuotedText(path) + ": " + line);
    }
    return {};
}

// Fails when two outputs of the run would write one file.
Result<> OutputsApart(const CommandLineOptions& options) {
    if (options.variants > 0) {
        return VariantOutputsApart(options);
    }
    std::vector<std::string> outputs;
    if (!options.exportPath.empty()) {
        outputs = ExportedFiles(options.exportPath);
    }
    if (!options.renderPath.empty()) {
        outputs.push_back(options.renderPath);
    }
    if (const std::optional<std::string> clash =
            OutputClashText(outputs, "--export and --render each need files of their own")) {
        return Bad(*clash);
    }
    return {};
}

// Takes the values of the options that were given into `options`; fails at the first bad
// value.
Result<> ReadValues(const QCommandLineParser& parser, CommandLineOptions& options) {
    const auto bad = [](const char* option, const std::string& value, const char* why) {
        return Bad(std::string("bad value ") + QuotedText(value) + " for --" + option + ": " + why);
    };
    const auto isSet = [&parser](const char* option) {
        return parser.isSet(QString::fromLatin1(option));
    };
    std::optional<uint32_t> fileSeed; // the seed a JSON --params file holds
    if (isSet("params")) {
        if (Result<> read = ReadParams(Value(parser, "params"), options, fileSeed); !read) {
            return read;
        }
    }
    if (isSet("preset")) {
        const std::string name = Value(parser, "preset");
        const Preset* preset = FindPreset(name);
        if (preset == nullptr) {
            return bad("preset", name, "no such preset (--list-presets prints their names)");
        }
        options.params = preset->params;
    }
    if (isSet("seed")) {
        const std::string text = Value(parser, "seed");
        options.seed = ParseSeed(text);
        if (!options.seed) {
            return bad("seed", text, "expected a whole number from 0 to 4294967295");
        }
    }
    if (isSet("export")) {
        const std::string path = Value(parser, "export");
        if (!IsExportPath(path)) {
            return bad("export", path, "the file name must end in .glb or .obj");
        }
        options.exportPath = path;
    }
    if (isSet("render")) {
        const std::string path = Value(parser, "render");
        if (!EndsWith(path, ".png")) {
            return bad("render", path, "the file name must end in .png");
        }
        options.renderPath = path;
    }
    if (isSet("size")) {
        const std::string text = Value(parser, "size");
        if (!ParseSize(text, options.renderWidth, options.renderHeight)) {
            return bad("size", text, "expected WxH with each side from 1 to 4096");
        }
        if (options.renderPath.empty()) {
            return Bad("--size needs --render");
        }
    }
    if (isSet("no-overlay")) {
        options.overlay = false;
        if (options.renderPath.empty()) {
            return Bad("--no-overlay needs --render");
        }
    }
    if (isSet("lods")) {
        const std::string text = Value(parser, "lods");
        const std::optional<uint32_t> n = ParseSeed(text);
        if (!n || *n < 1 || *n > MaxLods) {
            return bad("lods", text, "expected a whole number from 1 to 6");
        }
        options.lods = static_cast<int>(*n);
    }
    if (isSet("lod")) {
        const std::string text = Value(parser, "lod");
        const std::optional<uint32_t> k = ParseSeed(text);
        if (!k || *k >= MaxLods) {
            return bad("lod", text, "expected a whole number from 0 to 5");
        }
        if (options.renderPath.empty()) {
            return Bad("--lod needs --render");
        }
        if (isSet("lods") && static_cast<int>(*k) >= options.lods) {
            return bad("lod", text, "there are only as many levels as --lods gives, from 0");
        }
        options.renderLevel = static_cast<int>(*k);
        if (!isSet("lods")) {
            options.lods = static_cast<int>(*k) + 1;
        }
    }
    options.wind = isSet("wind");
    const bool glbExport = !options.exportPath.empty() && EndsWith(options.exportPath, ".glb");
    if ((options.wind || (isSet("lods") && options.lods > 1 && !options.renderLevel)) &&
        !glbExport) {
        return Bad(std::string(options.wind ? "--wind" : "--lods") +
                   " needs --export with a .glb file");
    }
    if (!options.seed) {
        options.seed = fileSeed;
    }
    if (isSet("variants")) {
        if (Result<> read = ReadVariants(Value(parser, "variants"), options); !read) {
            return read;
        }
    }
    return OutputsApart(options);
}

std::string HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // Without an application object Qt cannot know the program's name.
    text.replace(QStringLiteral("<executable_name>"), QString::fromLatin1(ProgramName));
    return (text + Epilogue).toStdString();
}

} // namespace

Result<CommandLine> ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // Qt's own help option would also offer --help-all, which lists Qt's options only when
    // an application object exists; this program parses before making one.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions(DeclaredOptions());

    CommandLine result;
    const auto fail = [](const std::string& message) {
        return Bad(message + " (see " + ProgramName + " --help)");
    };
    if (!parser.parse(arguments)) {
        QString message = parser.errorText();
        if (message.endsWith(QLatin1Char('.'))) {
            message.chop(1);
        }
        if (!message.isEmpty()) {
            message[0] = message[0].toLower();
        }
        // The message names the option as given, which may hold anything.
        return fail(EscapedText(ArgumentBytes(message)));
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::Print;
        result.text = HelpText(parser);
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::Print;
        result.text = std::string(ProgramName) + " " + DENDROVA_VERSION + "\n";
        return result;
    }
    if (parser.isSet(QStringLiteral("list-presets"))) {
        result.action = CommandLine::Action::Print;
        for (const Preset& preset : BuiltInPresets()) {
            result.text += std::string(preset.name) + "\n";
        }
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail("unexpected argument " +
                    QuotedText(ArgumentBytes(parser.positionalArguments().first())));
    }
    if (Result<> read = ReadValues(parser, result.options); !read) {
        return fail(read.Error().message);
    }
    return result;
}

QStringList CommandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << DecodeArgument(argv[i]);
    }
    return arguments;
}
