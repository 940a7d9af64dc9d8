#include "app/search/search_boxes.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>

#include "app/search/search_text.h"
#include "framework/TDataSet.h"
#include "platform/big5/big5.h"
#include "schema/schema.h"

namespace search {
namespace {

constexpr char kBackspace = 8;
constexpr char kEnter = 13;

std::string asBig5(const QLineEdit& edit) {
  const QByteArray utf8 = edit.text().toUtf8();
  // Text that Big5 cannot hold names no record: treat it as nothing to find.
  return big5::tryFromUtf8(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())))
      .value_or(std::string());
}

void jump(const SearchBoxes& boxes) {
  const QString text = boxes.edit2.text();
  if (text.isEmpty()) {
    boxes.main.SetRecNo(1);
    return;
  }
  try {
    const auto number = parseRuntimeInteger(text.toStdString());
    if (!number) throw std::invalid_argument("not a number");
    boxes.main.SetRecNo(*number);
  } catch (const std::exception&) {
    // A number that names no record: one with a leading zero means the
    // first record, anything else the last, whose number the box then shows.
    if (text.startsWith(QLatin1Char('0'))) {
      boxes.main.SetRecNo(1);
    } else {
      boxes.main.Last();
      boxes.edit2.setText(QString::number(boxes.main.RecNo()));
      boxes.edit2.setCursorPosition(static_cast<int>(boxes.edit2.text().size()));
    }
  }
}

}  // namespace

void Edit1Change(const SearchBoxes& boxes) {
  const std::string text = asBig5(boxes.edit1);
  if (text.size() < 2) return;
  boxes.main.Locate(std::string(schema::fields::B5_Hex), {StrToHex(text)},
                    framework::TLocateOptions{true, true});
  boxes.edit1.selectAll();
  boxes.edit1.setFocus();
  boxes.edit2.setText(QString());
}

void Edit1Click(const SearchBoxes& boxes) { boxes.edit1.selectAll(); }

char Edit2KeyPress(const SearchBoxes& boxes, char key, const std::function<void()>& discardQueuedCharacter) {
  char result = key;
  if (key == kEnter) {
    if (discardQueuedCharacter) discardQueuedCharacter();
    result = 0;
    jump(boxes);
  } else if (key != kBackspace && !(key >= '0' && key <= '9')) {
    result = 0;
  }
  boxes.edit1.setText(QString());
  return result;
}

SearchBoxEvents::SearchBoxEvents(SearchBoxes boxes, Guard guard)
    : QObject(&boxes.edit2), boxes_(boxes), guard_(std::move(guard)) {
  boxes_.edit1.installEventFilter(this);
  boxes_.edit2.installEventFilter(this);
  connect(&boxes_.edit1, &QLineEdit::textChanged, this, [this] { guard_([this] { Edit1Change(boxes_); }); });
}

bool SearchBoxEvents::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &boxes_.edit1 && event->type() == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
      guard_([this] { Edit1Click(boxes_); });
    return false;
  }
  if (watched != &boxes_.edit2) return false;
  if (event->type() == QEvent::InputMethod) {
    // Text from an input method is typed text too: digits pass, anything
    // else is refused whole, and the search box is emptied either way.
    const QString committed = static_cast<QInputMethodEvent*>(event)->commitString();
    if (committed.isEmpty()) return false;
    boxes_.edit1.setText(QString());
    for (const QChar c : committed)
      if (!c.isDigit() || c.unicode() > '9') return true;
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;

  auto* keyEvent = static_cast<QKeyEvent*>(event);
  // Only keys that type a character reach the handler, as only they would
  // become a character message; Tab stays with focus navigation.
  char key = 0;
  if (keyEvent->key() == Qt::Key_Return || keyEvent->key() == Qt::Key_Enter) key = kEnter;
  else if (keyEvent->key() == Qt::Key_Backspace) key = kBackspace;
  else if (keyEvent->key() == Qt::Key_Tab || keyEvent->key() == Qt::Key_Backtab) return false;
  else if (!keyEvent->text().isEmpty()) {
    const QChar c = keyEvent->text().front();
    key = c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7F';  // any other character is cancelled alike
  } else {
    return false;
  }

  if (discardNextCharacter_) {
    discardNextCharacter_ = false;
    return true;
  }
  char result = 0;
  guard_([&] {
    result = Edit2KeyPress(boxes_, key, [this] {
      // A character already queued behind the Enter is dropped; one typed
      // after the queue has drained is not.
      discardNextCharacter_ = true;
      QTimer::singleShot(0, this, [this] { discardNextCharacter_ = false; });
    });
  });
  return result == 0;  // a cancelled character never reaches the box
}

}  // namespace search
