#include "app/controls/EditMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>

namespace controls {

namespace {

void addItem(QMenu& menu, const char* name, const QString& caption, QKeySequence::StandardKey shortcut,
             bool enabled, const std::function<void()>& run) {
  QAction* action = menu.addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(QKeySequence(shortcut));
  action->setEnabled(enabled && static_cast<bool>(run));
  QObject::connect(action, &QAction::triggered, &menu, [run] { run(); });
}

}  // namespace

QMenu* createEditMenu(QWidget* parent, const EditMenuItems& items) {
  auto* menu = new QMenu(parent);
  const bool writable = !items.readOnly;
  addItem(*menu, "undo", QStringLiteral("&Undo"), QKeySequence::Undo, writable && items.canUndo, items.undo);
  menu->addSeparator();
  addItem(*menu, "cut", QStringLiteral("Cu&t"), QKeySequence::Cut, writable && items.hasSelection, items.cut);
  addItem(*menu, "copy", QStringLiteral("&Copy"), QKeySequence::Copy, items.hasSelection, items.copy);
  addItem(*menu, "paste", QStringLiteral("&Paste"), QKeySequence::Paste, writable && items.canPaste, items.paste);
  addItem(*menu, "delete", QStringLiteral("&Delete"), QKeySequence::Delete, writable && items.hasSelection,
          items.erase);
  menu->addSeparator();
  addItem(*menu, "selectAll", QStringLiteral("Select &All"), QKeySequence::SelectAll, items.hasText,
          items.selectAll);
  return menu;
}

bool clipboardHasText() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  return clipboard != nullptr && !clipboard->text().isEmpty();
}

}  // namespace controls
