// The start-up baseline: a bare Qt window with the widgets of the main window
// (tab control with three pages, the labels, edit boxes, lists, memo, check
// box, navigator buttons and button of tab 1, and the two reference panes)
// and the same Chinese text, including the first record's values and the two
// reference texts, but no database, no data layer and no engine. It ends at
// its first paint (first_paint.h), as the program's launcher does.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QWidget>

#include "bench/startup/first_paint.h"

namespace {

QString readText(const char* path) {
  QFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

template <class W>
W* at(W* widget, int left, int top, int width, int height) {
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* label(QWidget* page, const char* text, int left, int top, int width) {
  return at(new QLabel(QString::fromUtf8(text), page), left, top, width, 16);
}

QLineEdit* edit(QWidget* page, const char* text, int left, int top, int width, int height = 24) {
  return at(new QLineEdit(QString::fromUtf8(text), page), left, top, width, height);
}

void fillDataEntryPage(QWidget* page) {
  edit(page, "一", 8, 8, 41);
  label(page, "字首", 112, 16, 32);
  label(page, "一", 152, 16, 33);
  label(page, "五代倉碼", 192, 16, 64);
  edit(page, "一", 264, 8, 97);
  edit(page, "M", 368, 8, 65);
  at(new QFrame(page), -16, 49, 601, 2)->setFrameShape(QFrame::HLine);
  const char* headings[] = {"立場觀", "現象族", "認知類", "四別屬", "八種細目", "基本概念"};
  const int headingLeft[] = {0, 96, 192, 296, 392, 496};
  for (int i = 0; i < 6; ++i) label(page, headings[i], headingLeft[i], 72, 64);
  const int boxLeft[] = {0, 96, 192, 296, 392};
  const int listLeft[] = {24, 120, 216, 320, 424};
  for (int i = 0; i < 5; ++i) {
    edit(page, "", boxLeft[i], 96, 25);
    auto* list = at(new QComboBox(page), listLeft[i], 96, 57, 24);
    if (i == 0) list->addItems({QString::fromUtf8("客觀"), QString::fromUtf8("主觀")});
    list->setCurrentIndex(-1);
  }
  edit(page, "", 496, 96, 49);
  edit(page, "", 544, 96, 41);
  label(page, "基因定義", 0, 133, 64);
  edit(page, "", 0, 152, 585, 23);
  label(page, "筆記", 0, 181, 32);
  at(new QPlainTextEdit(page), 0, 200, 585, 89);
  at(new QFrame(page), -16, 305, 601, 2)->setFrameShape(QFrame::HLine);
  label(page, "1 ∕ 13053  筆資料", 0, 312, 200);
  at(new QCheckBox(QString::fromUtf8("標題匯出"), page), 472, 320, 113, 17);
  label(page, "搜索", 0, 352, 32);
  edit(page, "", 40, 343, 60);
  label(page, "跳至", 112, 352, 32);
  edit(page, "", 152, 343, 60);
  auto* navigator = at(new QWidget(page), 232, 343, 232, 24);
  auto* row = new QHBoxLayout(navigator);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  for (const char* glyph : {"|<", "<", ">", ">|", "+", "-", "^", "v", "x", "~"}) {
    auto* button = new QToolButton(navigator);
    button->setText(QString::fromLatin1(glyph));
    row->addWidget(button);
  }
  at(new QPushButton(QString::fromUtf8("單筆匯出剪貼"), page), 472, 343, 113, 24);
}

QPlainTextEdit* referencePane(const char* path) {
  auto* pane = new QPlainTextEdit(readText(path));
  pane->setReadOnly(true);
  pane->setLineWrapMode(QPlainTextEdit::NoWrap);
  return pane;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QString::fromUtf8("Zenmora１．０１版"));
  window.setFixedSize(591, 391);
  auto* tabs = at(new QTabWidget(&window), -1, 0, 602, 395);
  auto* page = new QWidget;
  fillDataEntryPage(page);
  tabs->addTab(page, QString::fromUtf8("歸納練習"));
  tabs->addTab(referencePane(ZEN_CONCEPT_TREE_TXT), QString::fromUtf8("概念對分"));
  tabs->addTab(referencePane(ZEN_CONCEPT_TABLE_TXT), QString::fromUtf8("概念分類"));
  new startupbench::FirstPaintExit(window);
  window.show();
  return QApplication::exec();
}
