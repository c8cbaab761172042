#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstring>

void SetProgramIdentity() {
    QCoreApplication::setOrganizationName(QStringLiteral("Corvallo Software"));
    QCoreApplication::setApplicationName(QStringLiteral("Wendal"));
    QCoreApplication::setApplicationVersion(QStringLiteral(WENDAL_VERSION));
}

namespace {

bool IsInformationOption(const char* arg) {
    for (const char* name : {"-h", "--help", "--help-all", "-v", "--version"})
        if (!std::strcmp(arg, name)) return true;
    return false;
}

} // namespace

std::optional<int> AnswerInformationOptions(int argc, char** argv) {
    bool asked = false;
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i)
        asked = asked || IsInformationOption(argv[i]);
    if (!asked) return std::nullopt;
    // A core application only: the answer needs no display.
    QCoreApplication application(argc, argv);
    SetProgramIdentity();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A ZX Spectrum 48K emulator. FILE (.sna, .z80, .tap, .tzx, .wav, .raw) is loaded at\n"
        "start as File > Open loads it; every double quote in the line is removed, so a name\n"
        "with spaces needs no quotes. Without FILE the Spectrum starts on its ROM. Qt's own\n"
        "options (-platform, -display, -style) are accepted too."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("snapshot, tape or recording to open"),
                                 QStringLiteral("[FILE]"));
    parser.process(application); // ends the program after the answer, or after a wrong option
    return 0;
}
