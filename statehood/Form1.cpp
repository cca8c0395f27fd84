#include "Form1.h"

#include "FittedText.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

// The flag pictures are compiled into a static library; registering them here
// keeps the linker from dropping them.
static void InitFlagResources() { Q_INIT_RESOURCE(flags); }

namespace statehood {
namespace {

struct Twips {
  int left, top, width, height;
};

// Answer box k carries the number k + 1; column n holds 10n - 9 to 10n.
constexpr std::array<std::array<int, 2>, StateCount> BoxOrigins{{
    {3060, 150},  {3060, 510},  {3045, 870},  {3045, 1230}, {3045, 1590},
    {3045, 1950}, {3045, 2310}, {3030, 2670}, {3030, 3030}, {3015, 3390},
    {3960, 150},  {3960, 510},  {3960, 870},  {3960, 1230}, {3960, 1590},
    {3960, 1950}, {3960, 2310}, {3945, 2670}, {3945, 3030}, {3945, 3390},
    {4830, 135},  {4830, 495},  {4830, 855},  {4830, 1215}, {4830, 1575},
    {4830, 1935}, {4830, 2295}, {4830, 2655}, {4830, 3015}, {4815, 3375},
    {5745, 135},  {5730, 495},  {5730, 855},  {5730, 1215}, {5730, 1575},
    {5730, 1935}, {5730, 2295}, {5730, 2655}, {5730, 3015}, {5745, 3375},
    {6615, 105},  {6615, 465},  {6615, 825},  {6615, 1185}, {6585, 1545},
    {6570, 1920}, {6555, 2280}, {6555, 2640}, {6555, 3000}, {6540, 3360},
}};

Twips BoxBounds(int k) {
  const int number = k + 1;
  int width = 690;
  int height = 360;
  if (number == 45) { width = 720; height = 375; }
  else if (number == 46) { width = 735; }
  else if (number >= 47 && number <= 49) { width = 750; }
  else if (number == 50) { width = 765; height = 375; }
  return {BoxOrigins[static_cast<std::size_t>(k)][0], BoxOrigins[static_cast<std::size_t>(k)][1],
          width, height};
}

// The layout was drawn for "MS Sans Serif". Liberation Sans (fonts-liberation,
// installed by scripts/setup) is a metric-compatible sans-serif whose widths are
// close to it, so the texts keep to the twips layout; it is named outright so
// that every machine that ran setup shows the same font. Where it is missing,
// fontconfig's sans-serif stands in and the fitting still keeps the texts whole.
QFont SansFont(double points, bool bold) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// The design fonts of the controls; a control's own font may be smaller where
// its text would not fit (FittedText.h).
QFont WindowFont() { return SansFont(9.75, true); }
QFont SmallBoldFont() { return SansFont(8.25, true); }
QFont CounterFont() { return SansFont(18, true); }
QFont AnswerBoxFont() { return SansFont(13.5, true); }

QString RgbText(const QColor& c) {
  return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

// A raised button that shows its back colour, sunk while pressed or set.
QString ButtonSheet(const QColor& back) {
  return QStringLiteral(
             "QPushButton { background-color: %1; border-width: 2px; border-style: solid;"
             " border-color: rgb(255,255,255) rgb(64,64,64) rgb(64,64,64) rgb(255,255,255); }"
             "QPushButton:pressed, QPushButton:checked {"
             " border-color: rgb(64,64,64) rgb(255,255,255) rgb(255,255,255) rgb(64,64,64); }"
             "QPushButton:disabled { color: rgb(128,128,128); }")
      .arg(RgbText(back));
}

QColor BoxBackColour(BoxColour colour) {
  switch (colour) {
    case BoxColour::Blue: return QColor(0, 0, 255);
    case BoxColour::Red: return QColor(255, 0, 0);
    case BoxColour::ButtonFace: break;
  }
  return QApplication::palette().color(QPalette::Button);
}

// Flat label with the system's window colours, optionally with a one-pixel border.
void UseWindowColours(QLabel& label, bool border) {
  label.setAutoFillBackground(true);
  label.setBackgroundRole(QPalette::Base);
  label.setForegroundRole(QPalette::Text);
  if (border) {
    label.setFrameShape(QFrame::Box);
    label.setFrameShadow(QFrame::Plain);
    label.setLineWidth(1);
  }
}

QString FromStd(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The list pairs its entries with one or two TABs so that, with the tab stops
// it was written for, the second column lines up. Find the narrowest tab
// distance that lines it up in this font; fall back to eight average characters.
qreal ListTabDistance(const QFontMetrics& metrics) {
  for (int tab = metrics.averageCharWidth() * 4; tab <= metrics.averageCharWidth() * 24; ++tab) {
    int column = -1;
    bool aligned = true;
    for (int m = 0; m < StateCount / 2 && aligned; ++m) {
      const std::string_view left = StateListEntry(2 * m);
      const int tabs = ListSeparatorTabs(m);
      const int width = metrics.horizontalAdvance(FromStd(left));
      const int at = (width / tab + tabs) * tab;
      if (column < 0) column = at;
      aligned = at == column;
    }
    if (aligned) return tab;
  }
  return metrics.averageCharWidth() * 8.0;
}

// The list field has no scroll bars, so all its lines must fit as the field
// lays them out: unwrapped, with its tab stops, within the document margin.
bool ListFits(const QPlainTextEdit& list) {
  const QTextDocument& document = *list.document();
  const QAbstractTextDocumentLayout& layout = *document.documentLayout();
  const qreal margin = document.documentMargin();
  qreal widest = 0;
  qreal height = 2 * margin;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    height += layout.blockBoundingRect(block).height();  // lays the block out
    for (int n = 0; n < block.layout()->lineCount(); ++n) {
      widest = std::max(widest, block.layout()->lineAt(n).naturalTextWidth());
    }
  }
  const QRect room = list.contentsRect();
  return widest + 2 * margin + list.cursorWidth() <= room.width() && height <= room.height();
}

// Gives the list its design font, or the largest smaller size in quarter
// points at which every line fits, with tab stops that line up its second
// column in that size.
void FitListFont(QPlainTextEdit& list, const QFont& design) {
  constexpr qreal step = 0.25;
  QFont font = design;
  for (qreal points = design.pointSizeF();; points -= step) {
    font.setPointSizeF(points);
    list.setFont(font);
    list.setTabStopDistance(ListTabDistance(QFontMetrics(font, &list)));
    if (ListFits(list) || points - step < 1) return;
  }
}

}  // namespace

int TwipsToPixels(int twips, double dpi) {
  return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

int CentredLeft(int screenLeft, int screenWidth, int windowWidth) {
  return screenLeft + std::max(0, (screenWidth - windowWidth) / 2);
}

void AnswerBox::mousePressEvent(QMouseEvent* event) {
  if (onMouseDown) onMouseDown();
  if (event->button() == Qt::LeftButton) {
    QPushButton::mousePressEvent(event);
  } else {
    event->accept();  // other buttons score too, but never flip the box
  }
}

void AnswerBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    QPushButton::mouseReleaseEvent(event);  // emits clicked: the flip
  } else {
    event->accept();
  }
  if (onMouseUp) onMouseUp();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick) {
    onClick();
  }
  QLabel::mouseReleaseEvent(event);
}

void Outline::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, rounded_);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
  const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  if (rounded_) {
    const qreal radius = std::min(box.width(), box.height()) / 4;
    painter.drawRoundedRect(box, radius, radius);
  } else {
    painter.drawRect(box);
  }
}

Form1::Form1(QuizGame game, QWidget* parent)
    : QMainWindow(parent), game_(std::move(game)), dpi_(logicalDpiY()) {
  InitFlagResources();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("U.S. States"));
  QPalette back = palette();
  back.setColor(QPalette::Window, QColor(224, 224, 224));
  setPalette(back);
  setFont(WindowFont());
  BuildMenu();
  BuildControls();
  Form_Load();
}

void Form1::Place(QWidget& control, int left, int top, int width, int height) {
  control.setParent(&client_);
  control.setGeometry(Px(left), Px(top), Px(width), Px(height));
}

void Form1::BuildMenu() {
  mnuFile = menuBar()->addMenu(QStringLiteral("File"));
  mnuFile->setObjectName(QStringLiteral("mnuFile"));
  mnuList = mnuFile->addAction(QStringLiteral("Show States List"));
  mnuList->setObjectName(QStringLiteral("mnuList"));
  MnuExit = mnuFile->addAction(QStringLiteral("Exit"));
  MnuExit->setObjectName(QStringLiteral("MnuExit"));
  connect(mnuList, &QAction::triggered, this, [this] { mnuList_Click(); });
  connect(MnuExit, &QAction::triggered, this, [this] { MnuExit_Click(); });
}

void Form1::BuildControls() {
  client_.setObjectName(QStringLiteral("client"));
  setCentralWidget(&client_);

  // Stacking follows the order of placing: outlines first, under the controls
  // they surround, except the flag's frame, which is drawn over the picture.
  Frame.setObjectName(QStringLiteral("Frame"));
  Frame.setFrameShape(QFrame::Box);
  Frame.setFrameShadow(QFrame::Sunken);
  Place(Frame, 2955, -30, 4365, 3885);
  Shape0.SetRounded(true);
  Place(Shape0, 375, 4350, 6480, 585);
  Place(ShapeGuess, 60, 2175, 2820, 420);

  img1.setObjectName(QStringLiteral("img1"));
  img1.setScaledContents(true);
  Place(img1, 105, 90, 2745, 1965);
  Place(Shape1, 105, 90, 2745, 1965);
  for (Outline* shape : {&Shape0, &Shape1, &ShapeGuess}) {
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
  }

  lblGuess.setObjectName(QStringLiteral("lblGuess"));
  lblGuess.setAlignment(Qt::AlignCenter);
  UseWindowColours(lblGuess, false);
  Place(lblGuess, 90, 2190, 2760, 390);

  lblDate.setObjectName(QStringLiteral("lblDate"));
  lblDate.setAlignment(Qt::AlignCenter);
  UseWindowColours(lblDate, true);
  Place(lblDate, 570, 2565, 1725, 345);

  // The captions over the counters keep to the top, as their counters cover
  // their lower part.
  LabelWrong.setObjectName(QStringLiteral("Label(0)"));
  LabelWrong.setText(QStringLiteral(" Wrong "));
  LabelWrong.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(LabelWrong, 1080, 3210, 645, 195);

  lblWrg.setObjectName(QStringLiteral("lblWrg"));
  lblWrg.setAlignment(Qt::AlignCenter);
  UseWindowColours(lblWrg, true);
  lblWrg.onClick = [this] { lblWrg_Click(); };
  Place(lblWrg, 1125, 3420, 585, 435);

  LabelRight.setObjectName(QStringLiteral("Label(1)"));
  LabelRight.setText(QStringLiteral("Right"));
  LabelRight.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(LabelRight, 2025, 3225, 540, 330);

  lblRgt.setObjectName(QStringLiteral("lblRgt"));
  lblRgt.setAlignment(Qt::AlignCenter);
  UseWindowColours(lblRgt, true);
  Place(lblRgt, 1980, 3435, 555, 420);

  lblAns.setObjectName(QStringLiteral("lblAns"));
  lblAns.setAlignment(Qt::AlignCenter);
  Place(lblAns, 1200, 3990, 420, 255);

  lblComment.setObjectName(QStringLiteral("lblComment"));
  UseWindowColours(lblComment, true);
  Place(lblComment, 2955, 3945, 1965, 270);

  chk2.setObjectName(QStringLiteral("chk2"));
  chk2.setText(QStringLiteral("Auto Advance"));
  Place(chk2, 5205, 3930, 1815, 300);

  cmdNext.setObjectName(QStringLiteral("cmdNext"));
  cmdNext.setStyleSheet(ButtonSheet(QColor(192, 192, 192)));
  Place(cmdNext, 480, 4410, 1965, 465);
  connect(&cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });

  cmdNew.setObjectName(QStringLiteral("cmdNew"));
  cmdNew.setText(QStringLiteral("New Game"));
  cmdNew.setStyleSheet(ButtonSheet(QColor(224, 224, 224)));
  Place(cmdNew, 3600, 4425, 1695, 450);
  connect(&cmdNew, &QPushButton::clicked, this, [this] { cmdNew_Click(); });

  cmdExit.setObjectName(QStringLiteral("cmdExit"));
  cmdExit.setText(QStringLiteral("Exit"));
  cmdExit.setStyleSheet(ButtonSheet(QColor(255, 128, 128)));
  Place(cmdExit, 5610, 4425, 1125, 435);
  connect(&cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });

  for (int k = 0; k < StateCount; ++k) {
    AnswerBox& box = chk1[static_cast<std::size_t>(k)];
    box.setObjectName(QStringLiteral("chk1(%1)").arg(k));
    box.setText(QString::number(k + 1));
    box.setCheckable(true);
    box.setStyleSheet(ButtonSheet(BoxBackColour(BoxColour::ButtonFace)));
    box.onMouseDown = [this, k] { chk1_MouseDown(k); };
    box.onMouseUp = [this, k] { chk1_MouseUp(k); };
    // clicked comes only from the player's action, never from setChecked.
    connect(&box, &QPushButton::clicked, this, [this, k] { chk1_Click(k); });
    const Twips b = BoxBounds(k);
    Place(box, b.left, b.top, b.width, b.height);
  }

  Text1.setObjectName(QStringLiteral("Text1"));
  Text1.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Text1.setLineWrapMode(QPlainTextEdit::NoWrap);  // keep the list's 25 lines whole
  Place(Text1, 360, 5880, 6675, 5100);

  for (QLabel* label : {&lblGuess, &lblDate, &LabelWrong, &LabelRight, &lblAns, &lblComment,
                        static_cast<QLabel*>(&lblWrg), &lblRgt}) {
    KeepTextClearOfControlsAbove(*label);
  }
  // Controls whose captions never change are fitted once. Every font is set on
  // the control itself: a style sheet drops the one it would inherit.
  FitFont(LabelWrong, SmallBoldFont());
  FitFont(LabelRight, SmallBoldFont());
  FitFont(chk2, WindowFont());
  FitFont(cmdNew, WindowFont());
  FitFont(cmdExit, WindowFont());
  for (AnswerBox& box : chk1) FitFont(box, AnswerBoxFont());
}

void Form1::Form_Load() {
  game_.ShuffleStates();
  // The list text separates its lines with CR LF; the text field keeps lines as paragraphs.
  Text1.setPlainText(FromStd(StatesListText()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  FitListFont(Text1, SmallBoldFont());
  const QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
  const int width = Px(DesignWidthTwips);
  move(CentredLeft(area.left(), area.width(), width), area.top() + Px(2000));
  resize(width, Px(ListHiddenTwips));
  ShowDisplay();
}

void Form1::cmdNext_Click() {
  game_.NextQuestion();
  ShowDisplay();
}

void Form1::cmdNew_Click() {
  game_.NewGame();
  ShowDisplay();
}

void Form1::chk1_MouseDown(int index) {
  game_.PressBox(index);
  ShowDisplay();
}

void Form1::chk1_Click(int index) {
  game_.ToggleBox(index);
  ShowDisplay();
}

void Form1::chk1_MouseUp(int index) {
  game_.ReleaseBox(index, chk2.isChecked());
  ShowDisplay();
}

void Form1::lblWrg_Click() {
  game_.ToggleHint();
  ShowDisplay();
}

// Any height but the exact list-hidden one counts as the list being shown.
void Form1::mnuList_Click() {
  const int hidden = Px(ListHiddenTwips);
  resize(width(), height() == hidden ? Px(ListShownTwips) : hidden);
}

void Form1::cmdExit_Click() { close(); }

void Form1::MnuExit_Click() { close(); }

void Form1::PaintBox(int index, BoxColour colour) {
  auto& painted = boxPainted_[static_cast<std::size_t>(index)];
  if (painted == colour) return;
  painted = colour;
  chk1[static_cast<std::size_t>(index)].setStyleSheet(ButtonSheet(BoxBackColour(colour)));
}

void Form1::ShowDisplay() {
  const QuizDisplay& d = game_.Display();
  ShowFitted(lblGuess, FromStd(d.guessText), SansFont(d.guessPoints, true));
  ShowFitted(lblDate, FromStd(d.dateText), WindowFont());
  if (d.flag != shownFlag_) {
    shownFlag_ = d.flag;
    if (d.flag < 0) {
      img1.clear();
    } else {
      img1.setPixmap(QPixmap(FromStd(StateFlag(d.flag))));
    }
  }
  ShowFitted(lblAns, FromStd(d.ansText), SansFont(8.25, false));
  lblAns.setVisible(d.ansVisible);
  ShowFitted(lblComment, FromStd(d.commentText), SmallBoldFont());
  lblComment.setVisible(d.commentVisible);
  ShowFitted(lblRgt, FromStd(d.rightText), CounterFont());
  ShowFitted(lblWrg, FromStd(d.wrongText), CounterFont());
  ShowFitted(cmdNext, FromStd(d.nextCaption), WindowFont());
  cmdNext.setEnabled(d.nextEnabled);
  for (int k = 0; k < StateCount; ++k) {
    chk1[static_cast<std::size_t>(k)].setChecked(d.boxSet[static_cast<std::size_t>(k)]);
    PaintBox(k, d.boxColour[static_cast<std::size_t>(k)]);
  }
}

}  // namespace statehood
