#include "platform/desktop/qt_program_start.h"

#include <QProcess>
#include <QStringList>

#include "core/fixed_text.h"
#include "platform/command_line.h"

namespace tarvelo::platform {

namespace {

bool startDirectly(const std::string& commandLine, const std::string& folder) {
    const auto split = splitCommandLine(trimRight(commandLine));
    if (!split) return false;
    QStringList arguments;
    arguments.reserve(static_cast<qsizetype>(split->arguments.size()));
    for (const auto& a : split->arguments) arguments << QString::fromStdString(a);
    // An empty working folder makes QProcess start the program in the current one.
    const QString workingFolder = QString::fromStdString(enterableFolder(folder));
    return QProcess::startDetached(QString::fromStdString(split->program), arguments, workingFolder);
}

}  // namespace

bool QtProgramStart::start(const std::string& commandLine, const std::string& folder, const ProgramLabel& label) {
    return m_watching.start(commandLine, folder, label, [&] { return startDirectly(commandLine, folder); });
}

}  // namespace tarvelo::platform
