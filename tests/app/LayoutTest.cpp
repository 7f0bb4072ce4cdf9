// How the templates become windows: each in the dialog units of its own font, with its
// font at its real size; centred group titles; the workbench sheet on the silver face;
// the about box with its icon and whole letters.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <algorithm>
#include <vector>

#include "app/DialogTemplate.h"
#include "app/Navigator.h"
#include "app/ScreenView.h"

namespace lumo {
namespace {

TEST(Layout, EachTemplateIsMeasuredInItsOwnFontsBaseUnits) {
  struct Case {
    int points;
    BaseUnits units;
    int cell;
  } cases[] = {{9, {7, 12}, 12}, {10, {7, 13}, 13}, {12, {8, 16}, 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    EXPECT_EQ(baseUnitsFor(c.points), c.units);
    EXPECT_EQ(cellHeightFor(c.points), c.cell);
  }
  // Window sizes: the 9-pt screens as before, the start view (10 pt) and the main menu
  // (12 pt) in their own units, each with its font at its cell height.
  struct Window {
    const char* screen;  // "" for the start view
    int width, height, fontPixels;
  } windows[] = {{"", 844, 570, 13}, {"CDialog1", 498, 430, 16}, {"CDialog15", 698, 488, 12}};
  for (const Window& w : windows) {
    SCOPED_TRACE(w.screen);
    const ScreenView view = *w.screen ? ScreenView(w.screen) : ScreenView(loadTemplate(101));
    EXPECT_EQ(view.size(), QSize(w.width, w.height));
    EXPECT_EQ(view.font().pixelSize(), w.fontPixels);
  }
}

// The main menu's large picture ends at the group box's edge; the two slices sit side by
// side below it.
TEST(Layout, TheMainMenuPicturesStayClearOfTheGroupBoxAndOfEachOther) {
  ScreenView menu("CDialog1");
  QRect group;
  for (auto* g : menu.findChildren<QGroupBox*>()) group = g->geometry();
  std::vector<QRect> pictures;
  for (auto* l : menu.findChildren<QLabel*>())
    if (!l->pixmap().isNull()) pictures.push_back(l->geometry());
  ASSERT_FALSE(group.isNull());
  ASSERT_EQ(pictures.size(), 3u);
  std::sort(pictures.begin(), pictures.end(), [](const QRect& a, const QRect& b) { return a.width() > b.width(); });
  const QRect brain = pictures[0];
  EXPECT_EQ(brain.size(), QSize(170, 170));
  EXPECT_LE(brain.right(), group.left());
  for (int i = 1; i < 3; ++i) {
    EXPECT_LE(pictures[i].right(), group.left()) << i;
    EXPECT_GT(pictures[i].top(), brain.bottom()) << i;
  }
  EXPECT_FALSE(pictures[1].intersects(pictures[2]));
  // Every button's text fits it.
  for (auto* b : menu.findChildren<QAbstractButton*>())
    EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), b->width()) << b->text().toStdString();
}

TEST(Layout, GroupBoxesTitledCentredInTheirTemplateShowTheirTitleCentred) {
  struct Case {
    const char* screen;
    const char* title;
    bool centred;
  } cases[] = {{"CDialog11", "Butterworth filter", true},
               {"CPageA2", "Butteworth filter", true},
               {"CPageA2", "操作方法", true},
               {"CPageA2", "Lowpass Filter", false},
               {"CPageA2", "Static", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    ScreenView view(c.screen);
    const QGroupBox* box = nullptr;
    for (auto* g : view.findChildren<QGroupBox*>())
      if (g->title() == QString::fromUtf8(c.title)) box = g;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, c.centred ? Qt::AlignHCenter : Qt::AlignLeft);
  }
}

// The sheet's frame, its tab row and the strip beside a smaller page are silver.
TEST(Layout, TheSheetAroundItsPagesIsSilver) {
  SheetWindow sheet(nullptr, 0);
  sheet.show();
  const QImage shot = sheet.grab().toImage();
  ScreenView* page = sheet.currentPage();
  ASSERT_TRUE(page);
  const QPoint pageOrigin = page->mapTo(&sheet, QPoint(0, 0));
  const QRect pane = sheet.tabs()->geometry();
  const QRgb silver = qRgb(0xC0, 0xC0, 0xC0);
  const QPoint points[] = {
      {2, 2},                                                              // the frame
      {pane.right() - 5, pane.top() + 5},                                  // the tab row right of the tabs
      {pageOrigin.x() + page->width() + 3, pageOrigin.y() + 10},           // right of the smaller page
      {pageOrigin.x() + 10, pageOrigin.y() + page->height() + 3},          // below it
  };
  for (const QPoint& p : points) {
    SCOPED_TRACE(std::to_string(p.x()) + "," + std::to_string(p.y()));
    ASSERT_TRUE(shot.rect().contains(p));
    EXPECT_EQ(shot.pixel(p) & 0xFFFFFF, silver & 0xFFFFFF);
  }
}

// The about box: icon 128 at (11, 17) in its system size, and a rights line tall
// enough for its descenders.
TEST(Layout, TheAboutBoxShowsItsIconAndWholeLines) {
  const DialogTemplate tpl = loadTemplate(100);
  ScreenView about(tpl);
  const QLabel* icon = nullptr;
  std::vector<const QLabel*> lines;
  for (auto* l : about.findChildren<QLabel*>()) {
    if (!l->pixmap().isNull()) icon = l;
    if (!l->text().isEmpty()) lines.push_back(l);
  }
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->geometry(), QRect(duToPxX(11), duToPxY(17), 32, 32));
  ASSERT_EQ(lines.size(), 2u);
  for (const QLabel* l : lines) EXPECT_GE(l->height(), l->fontMetrics().height()) << l->text().toStdString();
}

}  // namespace
}  // namespace lumo
