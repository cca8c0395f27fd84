#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <set>

#include "Form1.h"
#include "WindowTestScreen.h"

namespace statehood {
namespace {

// The order 0, 49, 48, ..., 1: question 0 wants box 0, question 1 box 49.
QuizGame KnownOrder() {
  return QuizGame([](int) { return 0; });
}

// A picture grabbed under Qt's scaling has more pixels than the widget has
// logical ones: these read it at a point, or over an area, in logical pixels.
QColor PixelAt(const QImage& shot, QPoint logical) {
  return shot.pixelColor(logical * shot.devicePixelRatio());
}

QRect DeviceArea(const QImage& shot, const QRect& logical) {
  const qreal ratio = shot.devicePixelRatio();
  return QRect(logical.topLeft() * ratio, logical.bottomRight() * ratio);
}

class Window : public ::testing::Test {
 public:
  Window() : form(KnownOrder()) {}

  template <class T>
  T& Get(const QString& name) {
    T* widget = form.findChild<T*>(name);
    if (!widget) throw std::runtime_error("no control " + name.toStdString());
    return *widget;
  }
  QPushButton& Box(int k) { return Get<QPushButton>(QStringLiteral("chk1(%1)").arg(k)); }
  QString Text(const char* label) { return Get<QLabel>(QString::fromLatin1(label)).text(); }
  QAction& Menu(const char* name) { return Get<QAction>(QString::fromLatin1(name)); }

  // The back colour, read from the rendered box beside its caption.
  static QColor BackColour(QWidget& w) {
    return PixelAt(w.grab().toImage(), QPoint(w.width() - 6, w.height() / 2));
  }

  QColor ButtonFace() const { return QApplication::palette().color(QPalette::Button); }

  void Click(QWidget& w, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(&w, button, Qt::NoModifier, w.rect().center());
  }

  Form1 form;
};

TEST_F(Window, StartsUpReady) {
  const QRect area = form.screen()->availableGeometry();
  EXPECT_EQ(form.windowTitle(), "U.S. States");
  EXPECT_EQ(form.y(), area.top() + form.Px(2000));
  EXPECT_EQ(form.height(), form.Px(6120));
  EXPECT_EQ(form.width(), form.Px(7710));
  EXPECT_EQ(form.x(), CentredLeft(area.left(), area.width(), form.width()));
  EXPECT_EQ(Text("lblWrg"), "0");
  EXPECT_EQ(Text("lblRgt"), "0");
  EXPECT_EQ(Get<QPushButton>("cmdNext").text(), "Start");
  EXPECT_TRUE(Get<QLabel>("img1").pixmap().isNull());
  EXPECT_TRUE(Get<QLabel>("lblAns").isHidden());
  EXPECT_TRUE(Get<QLabel>("lblComment").isHidden());
  EXPECT_FALSE(Get<QCheckBox>("chk2").isChecked());
  for (int k = 0; k < StateCount; ++k) {
    EXPECT_FALSE(Box(k).isChecked()) << k;
    EXPECT_EQ(Box(k).text(), QString::number(k + 1));
  }
  EXPECT_EQ(BackColour(Box(0)), ButtonFace());
  EXPECT_EQ(Get<QPlainTextEdit>("Text1").toPlainText(),
            QString::fromStdString(StatesListText()).replace("\r\n", "\n"));
  EXPECT_TRUE(Get<QPlainTextEdit>("Text1").toPlainText().endsWith("50 - Hawaii Aug.21,1959"));
}

struct Geometry {
  const char* name;
  int left, top, width, height;
};

// A sample across the layout: corners of the grid, the odd-sized boxes, the list.
const Geometry Layout[] = {
    {"img1", 105, 90, 2745, 1965},      {"lblGuess", 90, 2190, 2760, 390},
    {"lblWrg", 1125, 3420, 585, 435},   {"cmdNext", 480, 4410, 1965, 465},
    {"cmdExit", 5610, 4425, 1125, 435}, {"chk1(0)", 3060, 150, 690, 360},
    {"chk1(9)", 3015, 3390, 690, 360},  {"chk1(44)", 6585, 1545, 720, 375},
    {"chk1(45)", 6570, 1920, 735, 360}, {"chk1(49)", 6540, 3360, 765, 375},
    {"Text1", 360, 5880, 6675, 5100},   {"chk2", 5205, 3930, 1815, 300},
};

TEST_F(Window, ControlsStandAtTheirTwips) {
  for (const auto& g : Layout) {
    const QWidget& w = Get<QWidget>(QString::fromLatin1(g.name));
    EXPECT_EQ(w.geometry(),
              QRect(form.Px(g.left), form.Px(g.top), form.Px(g.width), form.Px(g.height)))
        << g.name;
  }
}

TEST(Twips, ScaleWithTheLogicalDpi) {
  struct Case { int twips; double dpi; int px; } const cases[] = {
      {6120, 96, 408},   // 15 twips a pixel at 96 dpi
      {12045, 96, 803},
      {12045, 120, 1004},  // 12 twips a pixel, rounded to nearest
      {7710, 144, 771},
      {-30, 96, -2},     // the grid frame starts above the client area
  };
  for (const auto& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.px) << c.twips << "@" << c.dpi;
}

TEST(Placement, CentredAndNeverOffScreen) {
  struct Case { int left, width, window, expected; } const cases[] = {
      {0, 1920, 514, 703},   // centred on a wide screen
      {100, 800, 514, 243},  // a screen that does not start at 0
      {0, 514, 514, 0},      // exactly as wide
      {0, 400, 514, 0},      // narrower than the window: kept at the left edge, not off it
  };
  for (const auto& c : cases) EXPECT_EQ(CentredLeft(c.left, c.width, c.window), c.expected);
}

TEST_F(Window, MouseAnswerOnTheRightBox) {
  Click(Get<QPushButton>("cmdNext"));
  EXPECT_EQ(Text("lblGuess"), "Delaware");
  EXPECT_EQ(Text("lblDate"), "Dec.7,1787");
  Click(Box(0));
  EXPECT_EQ(Text("lblGuess"), "Correct");
  EXPECT_EQ(Get<QLabel>("lblGuess").font().pointSize(), 16);
  EXPECT_EQ(Text("lblDate"), "");
  EXPECT_EQ(Text("lblRgt"), "1");
  EXPECT_EQ(Text("lblWrg"), "0");
  EXPECT_TRUE(Box(0).isChecked());
  EXPECT_EQ(BackColour(Box(0)), QColor(0, 0, 255));
  EXPECT_TRUE(Get<QLabel>("lblComment").isHidden());
}

TEST_F(Window, MouseAnswerOnAWrongBox) {
  Click(Get<QPushButton>("cmdNext"));
  Click(Box(5));
  EXPECT_EQ(Text("lblGuess"), "Wrong");
  EXPECT_FALSE(Box(5).isChecked());
  EXPECT_EQ(BackColour(Box(5)), ButtonFace());
  EXPECT_EQ(BackColour(Box(0)), QColor(255, 0, 0));
  EXPECT_FALSE(Get<QLabel>("lblComment").isHidden());
  EXPECT_EQ(Text("lblComment"), " Correct answer is 1");
  EXPECT_EQ(Text("lblWrg"), "1");
  EXPECT_EQ(Text("lblRgt"), "0");
}

// The secondary button scores and refreshes the counters but never flips the box.
TEST_F(Window, SecondaryButtonScoresWithoutAVerdict) {
  Click(Get<QPushButton>("cmdNext"));
  Click(Box(0), Qt::RightButton);
  EXPECT_EQ(Text("lblRgt"), "1");
  EXPECT_EQ(Text("lblGuess"), "Delaware");
  EXPECT_FALSE(Box(0).isChecked());
}

// The keyboard flips the box: a verdict, but nothing scored.
TEST_F(Window, KeyboardToggleJudgesWithoutScoring) {
  Click(Get<QPushButton>("cmdNext"));
  QTest::keyClick(&Box(3), Qt::Key_Space);
  EXPECT_EQ(Text("lblGuess"), "Wrong");
  EXPECT_EQ(Text("lblWrg"), "0");
  EXPECT_EQ(form.Game().WrongCount(), 0);
}

TEST_F(Window, AutoAdvanceMovesOnAfterTheAnswer) {
  Click(Get<QCheckBox>("chk2"));
  ASSERT_TRUE(Get<QCheckBox>("chk2").isChecked());
  Click(Get<QPushButton>("cmdNext"));
  Click(Box(0));
  EXPECT_EQ(Text("lblGuess"), "Hawaii");  // the verdict concerned Delaware, now the next question
  EXPECT_EQ(Text("lblRgt"), "1");
  EXPECT_EQ(BackColour(Box(0)), QColor(0, 0, 255));
  EXPECT_EQ(form.Game().QuestionIndex(), 1);
}

TEST_F(Window, HintClickShowsAndHidesTheNumber) {
  Click(Get<QPushButton>("cmdNext"));
  Click(Get<QLabel>("lblWrg"));
  EXPECT_FALSE(Get<QLabel>("lblAns").isHidden());
  EXPECT_EQ(Text("lblAns"), "1");
  Click(Get<QLabel>("lblWrg"));
  EXPECT_TRUE(Get<QLabel>("lblAns").isHidden());
}

TEST_F(Window, NewGameClearsTheBoard) {
  Click(Get<QPushButton>("cmdNext"));
  Click(Box(5));
  Click(Get<QPushButton>("cmdNew"));
  EXPECT_EQ(Get<QPushButton>("cmdNext").text(), "Start");
  EXPECT_EQ(Text("lblWrg"), "0");
  EXPECT_TRUE(Get<QLabel>("img1").pixmap().isNull());
  EXPECT_EQ(BackColour(Box(0)), ButtonFace());
  EXPECT_TRUE(Get<QLabel>("lblComment").isHidden());
}

TEST_F(Window, ListToggleSwitchesBetweenTheTwoHeights) {
  const QString list = Get<QPlainTextEdit>("Text1").toPlainText();
  Menu("mnuList").trigger();
  EXPECT_EQ(form.height(), form.Px(12045));
  Menu("mnuList").trigger();
  EXPECT_EQ(form.height(), form.Px(6120));
  EXPECT_EQ(Get<QPlainTextEdit>("Text1").toPlainText(), list);
  EXPECT_EQ(Menu("mnuList").text(), "Show States List");
}

// Any other height counts as the list shown: the toggle goes back to the short window.
TEST_F(Window, ListToggleAfterAResizeHidesTheList) {
  form.resize(form.width(), form.Px(9000));
  Menu("mnuList").trigger();
  EXPECT_EQ(form.height(), form.Px(6120));
}

struct ExitCase {
  const char* what;
  void (*exit)(Window&);
};

TEST_F(Window, ExitClosesTheWindowAtOnce) {
  const ExitCase cases[] = {
      {"Exit button", [](Window& w) { w.Click(w.Get<QPushButton>("cmdExit")); }},
      {"Exit menu item", [](Window& w) { w.Menu("MnuExit").trigger(); }},
      {"title bar close", [](Window& w) { w.form.close(); }},
  };
  for (const auto& c : cases) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    Click(Get<QPushButton>("cmdNext"));  // in the middle of a game
    // The program's event loop must end by itself once the window is closed;
    // the guard ends it with 1 if it does not.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    QTimer::singleShot(0, &form, [this, &c] { c.exit(*this); });
    EXPECT_EQ(QApplication::exec(), 0) << c.what;
    EXPECT_FALSE(form.isVisible()) << c.what;
  }
}

QString FlagFile(int k) {
  return QStringLiteral(STATEHOOD_FLAG_DIR "/usa_") +
         QString::fromUtf8(StateName(k).data(), static_cast<qsizetype>(StateName(k).size()))
             .toLower()
             .replace(' ', '_') +
         QStringLiteral(".png");
}

// Row k carries the picture of its own state, checked against the installed
// file named after the state, and no two rows share a picture.
TEST(Flags, EachRowShowsItsOwnStatesFlag) {
  std::set<QByteArray> pictures;
  for (int k = 0; k < StateCount; ++k) {
    const QImage embedded(QString::fromUtf8(StateFlag(k).data()));
    ASSERT_FALSE(embedded.isNull()) << k;
    EXPECT_EQ(embedded, QImage(FlagFile(k))) << FlagFile(k).toStdString();
    pictures.insert(QByteArray(reinterpret_cast<const char*>(embedded.constBits()),
                               embedded.sizeInBytes()));
  }
  EXPECT_EQ(pictures.size(), 50u);
}

int DistinctColours(const QImage& image, const QRect& logicalArea) {
  const QRect area = DeviceArea(image, logicalArea);
  std::set<QRgb> colours;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) colours.insert(image.pixel(x, y));
  }
  return static_cast<int>(colours.size());
}

TEST_F(Window, RenderedWindowShowsTheFlagAfterStart) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  const QLabel& img1 = Get<QLabel>("img1");
  const QRect flagArea(img1.mapTo(&form, QPoint(2, 2)), img1.size() - QSize(4, 4));
  EXPECT_LE(DistinctColours(form.grab().toImage(), flagArea), 2);  // nothing shown yet

  Click(Get<QPushButton>("cmdNext"));
  EXPECT_EQ(img1.pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
            QImage(QString::fromUtf8(StateFlag(0).data())).convertToFormat(QImage::Format_ARGB32));
  const QImage shot = form.grab().toImage();
  EXPECT_TRUE(shot.save(TestPicturePath(QStringLiteral("statehood-window"))));
  EXPECT_GT(DistinctColours(shot, flagArea), 20);
}

// After a wrong answer the picture shows the comment with the right number and
// the right box in red; the pressed box is back to the button face.
TEST_F(Window, RenderedWindowAfterAWrongAnswer) {
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  Click(Get<QPushButton>("cmdNext"));
  Click(Get<QPushButton>("cmdNext"));  // Hawaii, box 50: the widest comment
  Click(Box(24));
  ASSERT_EQ(Text("lblComment"), " Correct answer is 50");
  const QImage shot = form.grab().toImage();
  EXPECT_TRUE(shot.save(TestPicturePath(QStringLiteral("statehood-wrong-answer"))));
  const auto centre = [this](QWidget& w) { return w.mapTo(&form, QPoint(w.width() - 6, w.height() / 2)); };
  EXPECT_EQ(PixelAt(shot, centre(Box(49))), QColor(255, 0, 0));
  EXPECT_EQ(PixelAt(shot, centre(Box(24))), ButtonFace());
  const QLabel& comment = Get<QLabel>("lblComment");
  const QRect commentArea(comment.mapTo(&form, QPoint(2, 2)), comment.size() - QSize(4, 4));
  EXPECT_GE(DistinctColours(shot, commentArea), 2);  // text on the window colour
}

}  // namespace
}  // namespace statehood
