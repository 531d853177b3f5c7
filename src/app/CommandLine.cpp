#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

#include "export/ExportTree.h"
#include "model/Presets.h"
#include "paramfile/ParamFile.h"

namespace {

constexpr const char* ProgramName = "dendrova";

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
         QStringLiteral("Read the parameters and the camera from <file> instead of "
                        "TreeModl.Cfg in the working folder: a readable JSON file as the "
                        "control panel saves it (its seed counts when --seed is not given), "
                        "or the 96-byte format of TreeModl.Cfg. <file> is only read; the "
                        "viewer keeps its settings in the working folder's TreeModl.Cfg."),
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
        {QStringLiteral("render"),
         QStringLiteral("Draw one frame as the viewer would and write it to <out.png>, then "
                        "exit. Needs no X server."),
         QStringLiteral("out.png")},
        {QStringLiteral("size"),
         QStringLiteral("Picture size for --render, up to 4096x4096 (default: the window "
                        "size stored in the --params file, otherwise 540x350)."),
         QStringLiteral("WxH")},
        {QStringLiteral("no-overlay"),
         QStringLiteral("Leave the on-screen buttons and pictures out of --render.")},
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

std::string Quoted(const QString& s) {
    return "'" + s.toStdString() + "'";
}

bool EndsWith(const QString& path, const char* suffix) {
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// A decimal number 0..4294967295, nothing else.
std::optional<uint32_t> ParseSeed(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    if (!digits.match(text).hasMatch()) {
        return std::nullopt;
    }
    const qulonglong value = text.toULongLong();
    if (value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

// "WxH" with both sides 1..MaxRenderSide.
bool ParseSize(const QString& text, int& width, int& height) {
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,5})[xX]([0-9]{1,5})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    width = match.captured(1).toInt();
    height = match.captured(2).toInt();
    return width >= 1 && height >= 1 && width <= MaxRenderSide && height <= MaxRenderSide;
}

// A regular file this process may read; checked without opening it, so that a named
// pipe cannot hold the program up.
bool Readable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// Takes the values of the options that were given into `options`; the message for the
// first bad value, or empty.
std::string ReadValues(const QCommandLineParser& parser, CommandLineOptions& options) {
    const auto bad = [](const char* option, const QString& value, const char* why) {
        return std::string("bad value ") + Quoted(value) + " for --" + option + ": " + why;
    };
    std::optional<uint32_t> fileSeed; // the seed a JSON --params file holds
    if (parser.isSet(QStringLiteral("params"))) {
        const QString path = parser.value(QStringLiteral("params"));
        if (!Readable(path)) {
            return bad("params", path, "cannot read this file");
        }
        // A regular file is looked at first; a pipe can be read only once, so it is read
        // as a whole (and must then hold JSON).
        const bool regular = QFileInfo(path).isFile();
        if (!regular || FileLooksLikeJson(path.toStdString())) {
            const ParamFileReadResult file = ReadParamFile(path.toStdString());
            if (!file.ok) {
                return bad("params", path, file.error.c_str());
            }
            options.params = file.contents.params;
            options.camera = file.contents.camera;
            fileSeed = file.contents.seed;
            for (const std::string& line : file.ignored) {
                options.notices.push_back(path.toStdString() + ": " + line);
            }
        } else {
            options.paramsPath = path.toStdString();
        }
    }
    if (parser.isSet(QStringLiteral("preset"))) {
        const QString name = parser.value(QStringLiteral("preset"));
        const Preset* preset = FindPreset(name.toStdString());
        if (preset == nullptr) {
            return bad("preset", name, "no such preset (--list-presets prints their names)");
        }
        options.params = preset->params;
    }
    if (parser.isSet(QStringLiteral("seed"))) {
        const QString text = parser.value(QStringLiteral("seed"));
        options.seed = ParseSeed(text);
        if (!options.seed) {
            return bad("seed", text, "expected a whole number from 0 to 4294967295");
        }
    }
    if (parser.isSet(QStringLiteral("export"))) {
        const QString path = parser.value(QStringLiteral("export"));
        if (!IsExportPath(path.toStdString())) {
            return bad("export", path, "the file name must end in .glb or .obj");
        }
        options.exportPath = path.toStdString();
    }
    if (parser.isSet(QStringLiteral("render"))) {
        const QString path = parser.value(QStringLiteral("render"));
        if (!EndsWith(path, ".png")) {
            return bad("render", path, "the file name must end in .png");
        }
        options.renderPath = path.toStdString();
    }
    if (parser.isSet(QStringLiteral("size"))) {
        const QString text = parser.value(QStringLiteral("size"));
        if (!ParseSize(text, options.renderWidth, options.renderHeight)) {
            return bad("size", text, "expected WxH with each side from 1 to 4096");
        }
        if (options.renderPath.empty()) {
            return "--size needs --render";
        }
    }
    if (parser.isSet(QStringLiteral("no-overlay"))) {
        options.overlay = false;
        if (options.renderPath.empty()) {
            return "--no-overlay needs --render";
        }
    }
    if (!options.seed) {
        options.seed = fileSeed;
    }
    if (!options.exportPath.empty() && options.exportPath == options.renderPath) {
        return "--export and --render name the same file";
    }
    return {};
}

std::string HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // Without an application object Qt cannot know the program's name.
    text.replace(QStringLiteral("<executable_name>"), QString::fromLatin1(ProgramName));
    return (text + Epilogue).toStdString();
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
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
    const auto fail = [&result](const std::string& message) {
        result.action = CommandLine::Action::Fail;
        result.text =
            std::string(ProgramName) + ": " + message + " (see " + ProgramName + " --help)";
        return result;
    };
    if (!parser.parse(arguments)) {
        QString message = parser.errorText();
        if (message.endsWith(QLatin1Char('.'))) {
            message.chop(1);
        }
        if (!message.isEmpty()) {
            message[0] = message[0].toLower();
        }
        return fail(message.toStdString());
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
        return fail("unexpected argument " + Quoted(parser.positionalArguments().first()));
    }
    const std::string error = ReadValues(parser, result.options);
    if (!error.empty()) {
        return fail(error);
    }
    return result;
}

int FinishCommandLine(const CommandLine& command) {
    switch (command.action) {
    case CommandLine::Action::Print:
        std::fputs(command.text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : FailureExitCode;
    case CommandLine::Action::Fail:
        std::fprintf(stderr, "%s\n", command.text.c_str());
        return UsageExitCode;
    case CommandLine::Action::Run:
        break;
    }
    return 0;
}

QStringList CommandLineArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}
