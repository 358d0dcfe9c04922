#include "common/FrmAbout.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>

#include "common/Dialogs.h"
#include "common/Icons.h"

namespace kvaril {

namespace {

// "Kvaril" in bold italic navy with a white shadow to the lower right.
class TShadowLabel : public QWidget {
  public:
    explicit TShadowLabel(QWidget* parent) : QWidget(parent) {
        font_ = QFont("Times New Roman");
        font_.setStyleHint(QFont::Serif);
        font_.setPixelSize(29);
        font_.setBold(true);
        font_.setItalic(true);
        setFixedSize(QFontMetrics(font_).horizontalAdvance("Kvaril") + 8, 40);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(font_);
        const int base = QFontMetrics(font_).ascent() + 2;
        p.setPen(Qt::white);
        p.drawText(QPoint(4, base + 2), "Kvaril");
        p.setPen(QColor(0, 0, 128));
        p.drawText(QPoint(2, base), "Kvaril");
    }

  private:
    QFont font_;
};

const char* kAboutText =
    "Kvaril - моделирование сигналов\n"
    "  Версия 1.13 от 10 янв 2000\n"
    "\n"
    "* Программа для моделирования сигналов и\n"
    "  алгоритмов их обработки (фильтрации).\n"
    "* Многолучевой многоэкранный осциллограф\n"
    "  для наблюдения результатов моделирования\n"
    "\n"
    "Версия для Linux: команда Kvaril.\n"
    "Вопросы и замечания - в трекер задач.\n"
    "\n"
    "Использованные инструменты и компоненты:\n"
    "  C++20 и CMake,\n"
    "  Qt 6 (окна и графика),\n"
    "  QScintilla (редактор текстов сигналов),\n"
    "  Free Pascal (компилятор моделей),\n"
    "  GoogleTest и Google Benchmark (проверки).\n";

}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("FormAbout");
    setWindowTitle("О программе Kvaril");
    MakeFixedDialog(this);
    setFixedSize(430, 185);
    auto* lblKvaril = new TShadowLabel(this);
    lblKvaril->move(8, 6);
    auto* imgIcon = new QLabel(this);
    imgIcon->setObjectName("imgIcon");
    imgIcon->setPixmap(ApplicationIcon().pixmap(32, 32));
    imgIcon->setCursor(Qt::PointingHandCursor);
    imgIcon->setGeometry(16, 56, 32, 32);
    imgIcon->installEventFilter(this);
    auto* edText = new QPlainTextEdit(kAboutText, this);
    edText->setReadOnly(true);
    edText->setFrameStyle(QFrame::NoFrame);
    edText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = edText->palette();
    palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
    edText->setPalette(palette);
    // Each line of the text stays one line; a longer one scrolls instead of wrapping.
    edText->setLineWrapMode(QPlainTextEdit::NoWrap);
    edText->setObjectName("edText");
    const int left = lblKvaril->width() + 16;
    edText->setGeometry(left, 8, 430 - left - 8, 185 - 16);
    // Centred on the desktop, not over the window that asked for it.
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && watched->objectName() == "imgIcon") {
        accept();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ShowAbout(QWidget* parent) {
    TFormAbout about(parent);
    about.exec();
}

}  // namespace kvaril
