#include "CommonGUI/IdleUpdate.gui.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// Runs the rules when the loop is about to wait. During a conversion the loop
// wakes once per packet for a progress notice, and running every rule at each
// of those wakes cost the main thread about a tenth of its time; a notice
// only repaints figures, so such wakes leave the rules alone. Any other event
// (a click, a timer, a status change, a log line, a repaint), or a wake with
// no event at all, runs them. Main thread; lives as long as the application.
class TIdleRules : public QObject {
 public:
  explicit TIdleRules(QCoreApplication* App) : QObject(App) {
    App->installEventFilter(this);
    connect(QAbstractEventDispatcher::instance(App->thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &TIdleRules::AboutToBlock);
  }
  // Null before the first rule and once the application is gone.
  static QPointer<TIdleRules>& Existing() {
    static QPointer<TIdleRules> instance;
    return instance;
  }
  static TIdleRules& Instance() {
    QPointer<TIdleRules>& instance = Existing();
    if (!instance) instance = new TIdleRules(QCoreApplication::instance());
    return *instance;
  }
  struct TRule {
    QPointer<QObject> Context;
    std::function<void()> Update;
  };
  std::vector<TRule> Rules;
  std::vector<const QObject*> QuietSources;

 protected:
  bool eventFilter(QObject* Receiver, QEvent* Event) override {
    const bool quiet = Event->type() == QEvent::SockAct &&
                       std::find(QuietSources.begin(), QuietSources.end(), Receiver) != QuietSources.end();
    (quiet ? FQuietSeen : FOtherSeen) = true;
    return false;
  }

 private:
  void AboutToBlock() {
    if (FQuietSeen && !FOtherSeen) {
      FQuietSeen = false;
      return;
    }
    // Cleared first: what the rules themselves send runs them once more.
    FQuietSeen = FOtherSeen = false;
    // A rule may open a modal window, whose loop runs the rules again inside
    // this run: only the outermost run drops the rules of destroyed contexts,
    // so the indices stay valid; a rule may add rules (the window's own).
    struct TDepth {
      explicit TDepth(int& Value) : Ref(Value) { ++Ref; }
      ~TDepth() { --Ref; }
      int& Ref;
    } depth(FDepth);
    if (FDepth == 1) std::erase_if(Rules, [](const TRule& Rule) { return Rule.Context.isNull(); });
    for (size_t i = 0; i < Rules.size(); ++i) {
      const TRule rule = Rules[i];
      if (rule.Context) rule.Update();
    }
  }
  bool FQuietSeen = false;
  bool FOtherSeen = false;
  int FDepth = 0;  // runs of the rules in progress, nested by modal loops
};

}  // namespace

void OnIdle(QObject* Context, std::function<void()> Update) {
  TIdleRules::Instance().Rules.push_back({Context, std::move(Update)});
}

void AddQuietSource(const QObject* Source) { TIdleRules::Instance().QuietSources.push_back(Source); }

void DropQuietSource(const QObject* Source) {
  TIdleRules* rules = TIdleRules::Existing();
  if (!rules) return;
  std::erase(rules->QuietSources, Source);
}
