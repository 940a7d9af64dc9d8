#pragma once
// The two reference panes of the main window, built as the layout describes
// them. The caller owns nothing extra: the page given as parent owns the pane.
//
//   SynMemo1 on tab "概念對分": the concept tree, 14 lines; no scroll bars, the
//            tree fits the pane and does not scroll vertically.
//   SynMemo2 on tab "概念分類": the concept table, 321 lines; a vertical scroll
//            bar, and the table scrolls until its last line is at the top.
//
// Both: object name as above, left 0, top 0, 585 x 365 pixels, font
// "Courier New" 12 pixels high (mapped by gui::installFontSubstitutions() to
// a CJK fixed-pitch face; the cell grid keeps the alignment even where the
// mapping is missing), no horizontal scroll bar, right-edge line after
// column 100, focus by click and Tab. The main window may place and re-font
// the panes afterwards (for a scaled layout); the view follows.
class QWidget;

namespace reference {

class ReferenceTextView;

inline constexpr int kPaneLeft = 0;
inline constexpr int kPaneTop = 0;
inline constexpr int kPaneWidth = 585;
inline constexpr int kPaneHeight = 365;
inline constexpr int kPaneFontPixels = 12;

ReferenceTextView* createConceptTreePane(QWidget* page);
ReferenceTextView* createConceptTablePane(QWidget* page);

}  // namespace reference
