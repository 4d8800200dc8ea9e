#include <CLI/CLI.hpp>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "monkey/crash_report.h"
#include "monkey/monkey_session.h"

namespace {

int g_qt_messages = 0;
bool g_trace = false;

// Qt's own warnings are shown with the action they came in, so that a replay can find them.
void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  // What the offscreen platform says about what it cannot do, and about pointers outside the
  // window, which the session sends on purpose.
  if (message.startsWith(QLatin1String("This plugin does not support")) ||
      message.contains(QLatin1String("occurs outside target window"))) {
    return;
  }
  ++g_qt_messages;
  if (type == QtFatalMsg || g_trace || g_qt_messages <= 20) {
    std::fputs(("qt: " + message.toStdString() + "\n").c_str(), stderr);
  }
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

// A long random session with the real main window on the offscreen platform. Exit status 0 when
// every invariant held, 1 after a failure (its line names the action and the seed), 2 for a usage
// error; a crash or a hang prints the same failure line before the process ends.
int main(int argc, char** argv) {
  CLI::App command_line{"A long random session with the Orvendi main window", "orvendi_monkey"};
  orvendi::monkey::MonkeyOptions options;
  int hang_seconds = 300;
  command_line.add_option("-n,--actions", options.actions, "How many actions")->check(CLI::Range(1, 100000000));
  command_line.add_option("-s,--seed", options.seed, "The seed of the random actions");
  command_line.add_flag("--trace", options.trace, "Print every action as it starts");
  command_line.add_option("--hang-seconds", hang_seconds, "Longest time one action may take")
      ->check(CLI::Range(1, 86400));
  try {
    command_line.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return command_line.exit(error);
  }
  g_trace = options.trace;

  // As the program does: a floating-point exception never ends it.
  std::signal(SIGFPE, SIG_IGN);
  orvendi::monkey::InstallCrashReport(hang_seconds);

  // Settings, recovery copies and every file the session writes stay in a scratch folder.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir scratch;
  if (!scratch.isValid()) return 1;
  setenv("XDG_CONFIG_HOME", (scratch.path() + "/config").toLocal8Bit().constData(), 1);
  setenv("XDG_DATA_HOME", (scratch.path() + "/data").toLocal8Bit().constData(), 1);
  QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("OrvendiMonkey"));
  QCoreApplication::setApplicationName(QStringLiteral("orvendi-monkey"));
  // The close box may close the window; the session goes on with it.
  QApplication::setQuitOnLastWindowClosed(false);
  qInstallMessageHandler(OnQtMessage);

  bool passed = false;
  {
    QDir().mkpath(scratch.path() + "/files");
    orvendi::monkey::MonkeySession session(options, scratch.path() + "/files");
    passed = session.Run();
  }
  if (g_qt_messages > 0) {
    std::fputs(("monkey: " + std::to_string(g_qt_messages) + " messages from Qt\n").c_str(), stdout);
  }
  return passed ? 0 : 1;
}
