#pragma once

// Shared pieces of the `nivora` command line.

#include <QString>
#include <QStringList>
#include <optional>

namespace nivora::cli {

// Arguments after the command name; options look like "--name value".
class Arguments {
  public:
    explicit Arguments(QStringList args) : args_(std::move(args)) {}
    bool has(const QString& option) const { return args_.contains(option); }
    std::optional<QString> value(const QString& option) const;
    // Arguments that are neither options nor option values.
    QStringList positional(const QStringList& optionsWithValue) const;
    const QStringList& all() const { return args_; }

  private:
    QStringList args_;
};

// Writes "nivora: <text>" to standard error and returns the exit status 2.
int fail(const QString& text);
// A mistake in the arguments: the same one line with a hint where the
// command's options are told ("nivora survey --help").
int usageError(const QString& text);
// The command being run, for the hint.
void setCommandName(const QString& name);

// A settings file that is there and can be read; else false with the
// cause ("too large", "permission denied"), which is what the operator
// must hear, not a consequence of it further on.
bool settingsReadable(const QString& path, QString* error);

int runDecode(const Arguments& args);
int runProject(const Arguments& args);
int runRender(const Arguments& args);
int runConvert(const Arguments& args);
int runInfo(const Arguments& args);
int runSimulate(const Arguments& args);
int runReplayCommand(const Arguments& args);
int runLiveSurvey(const Arguments& args);
int runLines(const Arguments& args);
int runCrs(const Arguments& args);
int runExport(const Arguments& args);
int runGrid(const Arguments& args);

}  // namespace nivora::cli
