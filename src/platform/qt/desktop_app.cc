// The consoles, their commands on the interpreter thread, start-up and shutdown.
#include "platform/qt/desktop_app.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "base/run_context.h"
#include "files/path_list.h"
#include "files/state_dir.h"
#include "platform/qt/console_window.h"
#include "platform/qt/figure_events_queue.h"
#include "platform/qt/figure_view.h"
#include "session/interpreter_session.h"
#include "session/start_script.h"
#include "session/session_figure_callbacks.h"

namespace zirbin::platform::qt {

namespace {

DesktopApp* theApp = nullptr;  // GUI thread: the application while it exists

}  // namespace

ConsoleSession::ConsoleSession(DesktopApp& app, bool secondary)
    : app_(app), secondary_(secondary), host_(*this) {
  window_ = new ConsoleWindow(*this);
  window_->show();
}

ConsoleSession::~ConsoleSession() {
  if (window_) delete window_.data();
}

void ConsoleSession::build() {
  app_.interpreter().post([this] {
    try {
      interpreter_ = std::make_unique<session::InterpreterSession>(host_, output_, secondary_,
                                                                   /*interactive=*/true);
    } catch (...) {
      const bool secondary = secondary_;
      runOnGui([secondary] {
        QMessageBox::information(nullptr, "info",
                                 secondary ? "launch of secondary Zirbin failed"
                                           : "PrimaryZirbin: calc failed at setup");
      });
      return;
    }
    linkFigures();
    publishState();
  });
}

void ConsoleSession::linkFigures() {
  session::SessionFigureCallbacks& callbacks = interpreter_->figureCallbacks();
  // A menu entry types its command into this console, echoed and run as typed lines are.
  callbacks.onTyped = [this](const std::string& text) {
    runOnGui([this, text] {
      if (!app_.closing()) submit(text, session::kTypedMode);
    });
  };
  callbacks.onFocus = [this] {
    runOnGui([this] { app_.setCurrent(this); });
  };
}

void ConsoleSession::publishState() {
  SessionState state;
  if (interpreter_) {
    const files::PathList& paths = interpreter_->pathList();
    state.recentDirectories.assign(paths.recent().begin(), paths.recent().end());
    state.selectedDirectory = paths.selectedRecent();
    state.prompt = interpreter_->prompt();
  }
  runOnGui([this, state = std::move(state)] {
    if (window_) window_->showState(state);
  });
}

void ConsoleSession::submit(const std::string& text, char mode, bool paste) {
  ++pending_;
  if (window_) window_->commandsChanged();
  app_.interpreter().post([this, text, mode, paste] {
    if (!app_.closing() && interpreter_) {
      app_.running_ = this;
      host_.resetCancel();
      if (mode == session::kTypedMode) output_.echo(interpreter_->prompt(), text);
      if (paste) host_.setPendingPaste(text);
      interpreter_->submitInput(text, mode);
      app_.running_ = nullptr;
      publishState();
      endIfAsked();
    }
    --pending_;
    runOnGui([this] {
      if (window_) window_->commandsChanged();
    });
  });
}

void ConsoleSession::post(std::function<void(session::InterpreterSession&)> job) {
  app_.interpreter().post([this, job = std::move(job)] {
    if (app_.closing() || !interpreter_) return;
    app_.running_ = this;
    host_.resetCancel();
    job(*interpreter_);
    app_.running_ = nullptr;
    publishState();
    endIfAsked();
  });
}

void ConsoleSession::endIfAsked() {
  if (!interpreter_ || !interpreter_->context().endRequested) return;
  // `quit` and `exit` close their console as its close box does: the primary's ends the
  // program with exit's status.
  interpreter_->context().endRequested = false;
  const int status = interpreter_->context().endStatus;
  runOnGui([this, status] {
    if (!secondary_ && status >= 0) app_.exitStatus_ = status;
    app_.closeConsole(*this);
  });
}

void ConsoleSession::interruptIfRunning() {
  if (app_.running() == this && interpreter_) interpreter_->interrupt();
}

void ConsoleSession::abort() {
  // The interrupt first: a wait that the cancel ends then reports it, not its own failure.
  // The interrupt is the session's own atomic flag: safe to raise from the GUI thread.
  interruptIfRunning();
  host_.cancelWaits();
  if (window_) window_->cancelRead();
}

DesktopApp::DesktopApp(const DesktopOptions& options) {
  theApp = this;
  session::haltRequested = 0;
  consoles_.push_back(std::make_unique<ConsoleSession>(*this, false));
  current_ = consoles_.front().get();
  gui::loadHistory(primary().history(), files::stateFilePath(files::kHistoryFileName));
  primary().build();
  openFigureWindows();
  typeStartLines(options);
}

void DesktopApp::openFigureWindows() {
  // As a figure opens (interpreter thread): its window belongs to the console whose
  // command opened it, and its events go to that console's queue.
  ConsoleSession* first = &primary();
  interpreter_.post([this, first] {
    graphics::FigureRegistry::setViewFactory([this, first](graphics::Figure& figure) {
      ConsoleSession* owner = running() != nullptr ? running() : first;
      // The console may have closed by the time the GUI thread makes the window.
      FigureWindowParent parent = [this, owner](QWidget*& window) {
        if (DesktopApp::instance() != this || !hasConsole(owner) || owner->window() == nullptr)
          return false;
        window = owner->window();
        return true;
      };
      return std::make_unique<QtFigureView>(figure, owner->host().figureViews(), std::move(parent),
                                            owner->figureSink());
    });
  });
}

FigureEventSink ConsoleSession::figureSink() {
  DesktopApp* app = &app_;
  ConsoleSession* console = this;
  std::shared_ptr<FigureEventQueue> queue = host_.figureQueue();
  // One job handles every event queued before it runs: a burst of events posts one job.
  auto posted = std::make_shared<std::atomic<bool>>(false);
  return [app, console, queue, posted](const session::FigureEvent& event) {
    queue->push(event);
    // A late event of a console or desktop that has ended stays unread.
    if (DesktopApp::instance() != app || app->closing() || !app->hasConsole(console)) return;
    if (posted->exchange(true)) return;
    console->post([posted](session::InterpreterSession& s) {
      *posted = false;
      s.handleFigureEvents();
    });
  };
}

bool DesktopApp::hasConsole(const ConsoleSession* console) const {
  for (const auto& c : consoles_) {
    if (c.get() == console) return true;
  }
  return false;
}

DesktopApp::~DesktopApp() {
  shutdown();
  if (theApp == this) theApp = nullptr;
}

DesktopApp* DesktopApp::instance() { return theApp; }

void DesktopApp::typeStartLines(const DesktopOptions& options) {
  ConsoleWindow* window = primary().window();
  for (const std::string& line : options.lines) window->typeText(line);
  if (options.script) {
    const session::ScriptStart start = session::scriptStart(*options.script);
    primary().post(
        [start](session::InterpreterSession& session) { session::startScript(session, start); });
  }
}

ConsoleSession* DesktopApp::launchSecondary() {
  if (closing()) return nullptr;
  consoles_.push_back(std::make_unique<ConsoleSession>(*this, true));
  ConsoleSession* console = consoles_.back().get();
  console->build();
  current_ = console;
  return console;
}

void DesktopApp::closeConsole(ConsoleSession& console) {
  if (!console.secondary()) {
    shutdown();
    QCoreApplication::quit();
    return;
  }
  console.host().close();
  console.interruptIfRunning();
  if (current_ == &console) current_ = &primary();
  interpreter_.post([this, &console] {
    console.host().closeFigures();
    console.interpreter_.reset();
    runOnGui([this, &console] {
      std::erase_if(consoles_, [&](const auto& c) { return c.get() == &console; });
    });
  });
}

void DesktopApp::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  closing_ = true;
  for (const auto& console : consoles_) {
    console->host().close();
    if (console->window()) console->window()->cancelRead();
  }
  // A command still running stops as it would at the end signals: the program is ending.
  session::haltRequested = 1;
  if (ConsoleSession* console = running()) console->interruptIfRunning();
  // Secondaries first; the primary last writes the session file and the path list.
  for (auto it = consoles_.rbegin(); it != consoles_.rend(); ++it) {
    ConsoleSession* console = it->get();
    interpreter_.post([console] {
      console->host().closeFigures();
      console->interpreter_.reset();
    });
  }
  // Figures opened later (by a test on the interpreter's side) have no window.
  interpreter_.post([] { graphics::FigureRegistry::setViewFactory(nullptr); });
  interpreter_.finish();
  gui::saveHistory(primary().history(), files::stateFilePath(files::kHistoryFileName));
  for (const auto& console : consoles_) {
    if (console->window()) console->window()->hide();
  }
}

}  // namespace zirbin::platform::qt
