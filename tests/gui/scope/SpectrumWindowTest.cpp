// The spectrum window through its real widgets: an AM signal's lines in the peak table, the wheel,
// the drag and the rubber band on the plot, the typed range, the readout snapped to the bins, the
// interval chosen in the window, and "Спектр..." bringing a minimised window back.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <cstdlib>

#include "HandRun.h"
#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/FrmSpectrum.h"
#include "scope/SpectrumPlot.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kQuant = 1e-5;  // 100 kHz: 1000 samples make bins of 100 Hz up to 50 kHz

// AM: a 20 kHz carrier of amplitude 1 with a 1 kHz tone at depth 0.5 (sidebands of 0.25 at 19
// and 21 kHz); Tone: 0.5 at 5 kHz.
class SpectrumWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        QSettings("Dornek", "Kvaril").remove("Spectrum");
        MakeHandRun(wb_.Signals, {"AM", "Tone"}, kQuant, 0.01, [](int s, int q) {
            const double t = q * kQuant;
            return s == 0 ? (1 + 0.5 * std::sin(2 * kPi * 1000 * t)) * std::sin(2 * kPi * 20000 * t)
                          : 0.5 * std::sin(2 * kPi * 5000 * t);
        });
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        FinishRun(wb_.Signals, wb_.Osc);
        osc_->PrepareForRun();
        osc_->resize(900, 500);
        osc_->show();
        osc_->Session().Current()->SetT0(0);
        osc_->Session().Current()->SetT1(0.00999);  // 1000 samples: every line on a bin
        QApplication::processEvents();
        osc_->findChild<QAction*>("actSpectrum")->trigger();
        form_ = osc_->SpectrumWindow();
        ASSERT_NE(form_, nullptr);
        plot_ = form_->Plot();
        QApplication::processEvents();
    }
    template <typename T>
    T* Find(const char* name) {
        T* child = form_->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QStringList Row(int r) {
        auto* table = Find<QTableWidget>("tbSpectrumPeaks");
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
        return cells;
    }
    // The pixel of the plot widget where frequency f and amplitude a are drawn.
    QPointF At(double f, double a) {
        const QRect r = plot_->PlotRect();
        return {r.left() + plot_->Axes().X(f), r.top() + plot_->Axes().Y(a)};
    }
    void Mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers modifiers = {}) {
        QMouseEvent e(type, at, plot_->mapToGlobal(at), button, buttons, modifiers);
        QApplication::sendEvent(plot_, &e);
    }
    void Wheel(QPointF at, int notches, Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent e(at, plot_->mapToGlobal(at), {}, QPoint(0, 120 * notches), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot_, &e);
    }

    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
    TFormSpectrum* form_ = nullptr;
    TSpectrumPlot* plot_ = nullptr;
};

TEST_F(SpectrumWindow, ThePeakTableListsTheAmLinesWithTheirLevels) {
    ASSERT_EQ(form_->Spectra().size(), 2u);
    EXPECT_EQ(form_->Request().Span, "Окно") << "the time window by default";
    auto* table = Find<QTableWidget>("tbSpectrumPeaks");
    ASSERT_EQ(table->rowCount(), 4) << "three lines of AM above -60 dB, one of Tone";
    EXPECT_EQ(Row(0), (QStringList{"AM", "1", "20,000 кГц", "1,000", "0,00 дБ"}));
    EXPECT_EQ(Row(1)[3], "250,0 м");
    EXPECT_EQ(Row(1)[4], "\u221212,04 дБ");
    EXPECT_EQ(QStringList({Row(1)[2], Row(2)[2]}).join(" ").contains("19,000 кГц"), true);
    EXPECT_EQ(QStringList({Row(1)[2], Row(2)[2]}).join(" ").contains("21,000 кГц"), true);
    EXPECT_EQ(Row(3), (QStringList{"Tone", "1", "5,0000 кГц", "500,0 м", "\u22126,02 дБ"}));
    EXPECT_EQ(form_->Spectra()[0].Peaks.size(), 3u) << "the plot labels the same peaks";

    Find<QSpinBox>("sbSpectrumPeakCount")->setValue(1);
    EXPECT_EQ(table->rowCount(), 2);
    Find<QDoubleSpinBox>("sbSpectrumThreshold")->setValue(-5);
    EXPECT_EQ(table->rowCount(), 1) << "Tone's -6 dB line lies below";
    EXPECT_TRUE(Find<QLabel>("lbSpectrumPeaks")->text().contains("Tone"));
    EXPECT_EQ(QSettings("Dornek", "Kvaril").value("Spectrum/PeakCount").toInt(), 1) << "remembered";
}

TEST_F(SpectrumWindow, TheWheelZoomsAboutThePointerAndADragPans) {
    const double span = plot_->Axes().FMax - plot_->Axes().FMin;
    EXPECT_DOUBLE_EQ(span, 50000);
    const QPointF at = At(20000, 0.25);
    Wheel(at, 3);
    const TSpectrumAxes& a = plot_->Axes();
    EXPECT_NEAR(a.FMax - a.FMin, span * std::pow(kWheelZoom, -3), 1e-6);
    EXPECT_NEAR(At(20000, 0.25).x(), at.x(), 1e-6) << "20 kHz stays under the pointer";
    EXPECT_NEAR(At(20000, 0.25).y(), at.y(), 1e-6);
    auto* showAll = Find<QPushButton>("btSpectrumShowAll");
    EXPECT_TRUE(showAll->isEnabled());

    const double f0 = a.FMin, width = a.Width, zoomed = a.FMax - a.FMin;
    Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, at + QPointF(60, 0), Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, at + QPointF(60, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_NEAR(plot_->Axes().FMin, f0 - 60 / width * zoomed, 1e-6) << "the content follows";

    // Over the frequency numbers the wheel zooms the frequency alone.
    const double a0 = plot_->Axes().AMin, a1 = plot_->Axes().AMax;
    Wheel(QPointF(at.x(), plot_->PlotRect().bottom() + 8), 2);
    EXPECT_DOUBLE_EQ(plot_->Axes().AMin, a0);
    EXPECT_DOUBLE_EQ(plot_->Axes().AMax, a1);

    form_->activateWindow();
    showAll->setFocus();
    QTest::keyClick(showAll, Qt::Key_Space);  // as a user presses it from the keyboard
    EXPECT_DOUBLE_EQ(plot_->Axes().FMin, 0);
    EXPECT_DOUBLE_EQ(plot_->Axes().FMax, 50000);
    EXPECT_FALSE(showAll->isEnabled());
    // The focus does not fall to the peak count, whose number the next digit would replace.
    EXPECT_FALSE(Find<QSpinBox>("sbSpectrumPeakCount")->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), plot_);
}

TEST_F(SpectrumWindow, TheRubberBandSeparatesTheSidebands) {
    const QPointF from = At(18500, 1), to = At(21500, 0.01);
    Mouse(QEvent::MouseButtonPress, from, Qt::RightButton, Qt::RightButton);
    Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::RightButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::RightButton, Qt::NoButton);
    const double pixel = 50000.0 / plot_->Axes().Width;
    EXPECT_NEAR(plot_->Axes().FMin, 18500, pixel);
    EXPECT_NEAR(plot_->Axes().FMax, 21500, pixel);
    EXPECT_GT(At(21000, 1).x() - At(20000, 1).x(), 100) << "the lines stand far apart";
    EXPECT_EQ(Find<QLineEdit>("edSpectrumFrom")->text().left(4), "18,5");
    // A double click shows all again.
    Mouse(QEvent::MouseButtonDblClick, At(20000, 1), Qt::LeftButton, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(plot_->Axes().FMax, 50000);
}

TEST_F(SpectrumWindow, ATypedRangeIsShownAndAWrongOneUndone) {
    auto* from = Find<QLineEdit>("edSpectrumFrom");
    auto* to = Find<QLineEdit>("edSpectrumTo");
    EXPECT_EQ(from->text(), "0");
    EXPECT_EQ(to->text(), "50 к");
    from->setText("18к");
    to->setText("22 кГц");
    Q_EMIT to->editingFinished();
    EXPECT_DOUBLE_EQ(plot_->Axes().FMin, 18000);
    EXPECT_DOUBLE_EQ(plot_->Axes().FMax, 22000);
    EXPECT_EQ(from->text(), "18 к");
    to->setText("много");
    Q_EMIT to->editingFinished();
    EXPECT_DOUBLE_EQ(plot_->Axes().FMax, 22000);
    EXPECT_EQ(to->text(), "22 к");
    // A "до" beyond the spectrum is refused whole: both fields say what the axis shows.
    from->setText("19 к");
    to->setText("90 к");
    Q_EMIT to->editingFinished();
    EXPECT_DOUBLE_EQ(plot_->Axes().FMin, 18000);
    EXPECT_DOUBLE_EQ(plot_->Axes().FMax, 22000);
    EXPECT_EQ(from->text(), "18 к");
    EXPECT_EQ(to->text(), "22 к");
}

TEST_F(SpectrumWindow, ThePeakTableMarksTheColumnTheAxisReadsInBold) {
    auto* table = Find<QTableWidget>("tbSpectrumPeaks");
    QTableWidgetItem* amplitude = table->horizontalHeaderItem(3);
    QTableWidgetItem* level = table->horizontalHeaderItem(4);
    EXPECT_EQ(level->text(), "Уровень");
    const bool db = level->font().bold();
    EXPECT_NE(amplitude->font().bold(), db) << "one of the two, the one the axis reads";
    // Neither header looks disabled.
    const QColor text = table->palette().color(QPalette::Text);
    for (QTableWidgetItem* header : {amplitude, level}) {
        const QBrush brush = header->foreground();
        EXPECT_TRUE(brush.style() == Qt::NoBrush || brush.color() == text)
            << brush.color().name().toStdString();
    }
}

TEST_F(SpectrumWindow, TheReadoutSnapsToTheBinAndReadsEveryBeamThere) {
    Find<QLineEdit>("edSpectrumFrom")->setText("18 к");
    Find<QLineEdit>("edSpectrumTo")->setText("22 к");
    Q_EMIT Find<QLineEdit>("edSpectrumTo")->editingFinished();
    // Just beside AM's 21 kHz line, a little above it: not the pointer's height but the bin's.
    Mouse(QEvent::MouseMove, At(21000, 0.25) + QPointF(3, -4), Qt::NoButton, Qt::NoButton);
    const QString text = Find<QLabel>("lbSpectrumReadout")->text();
    EXPECT_TRUE(text.contains("f = 21,000 кГц")) << text.toStdString();
    EXPECT_TRUE(text.contains("AM = 250,0 м")) << text.toStdString();
    EXPECT_TRUE(text.contains("Tone = ")) << text.toStdString();
    EXPECT_EQ(plot_->Readout().Curve, 0);
    EXPECT_EQ(plot_->Readout().Bin, 210);
    Find<QComboBox>("cbSpectrumAmplitude")->setCurrentIndex(1);
    Mouse(QEvent::MouseMove, At(21000, 0.25) + QPointF(2, -3), Qt::NoButton, Qt::NoButton);
    EXPECT_TRUE(Find<QLabel>("lbSpectrumReadout")->text().contains("AM = \u221212,04 дБ"))
        << Find<QLabel>("lbSpectrumReadout")->text().toStdString();
    EXPECT_DOUBLE_EQ(plot_->Axes().FMin, 18000) << "the chosen range survives the dB axis";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(plot_, &leave);
    EXPECT_TRUE(Find<QLabel>("lbSpectrumReadout")->text().isEmpty());
}

TEST_F(SpectrumWindow, TheIntervalIsChosenInTheWindow) {
    auto* interval = Find<QComboBox>("cbSpectrumInterval");
    ASSERT_GE(interval->count(), 3);
    EXPECT_EQ(interval->currentText(), "Окно");
    EXPECT_EQ(interval->itemText(1), "Весь запуск");
    const int ab = interval->count() - 1;
    EXPECT_TRUE(interval->itemText(ab).startsWith("A..B"));
    auto* model = qobject_cast<QStandardItemModel*>(interval->model());
    ASSERT_NE(model, nullptr);
    EXPECT_FALSE(model->item(ab)->isEnabled()) << "no A/B cursors: shown, not chosen";
    osc_->Session().Current()->SetT1(0.005);
    osc_->findChild<QAction*>("actSpectrum")->trigger();  // the window as it is now
    EXPECT_EQ(form_->Spectra()[0].Spectrum.N, 501);
    const int whole = wb_.Signals.Data().SampleCount();
    interval->setCurrentIndex(1);
    EXPECT_EQ(form_->Spectra()[0].Spectrum.N, whole) << "the whole run";
    EXPECT_TRUE(Find<QLabel>("lbSpectrumRange")->text().startsWith("Весь запуск"));
    // Opened again, the window keeps its interval.
    osc_->findChild<QAction*>("actSpectrum")->trigger();
    EXPECT_EQ(interval->currentText(), "Весь запуск");
    EXPECT_EQ(form_->Spectra()[0].Spectrum.N, whole);
}

TEST_F(SpectrumWindow, SpectrumRestoresAMinimisedWindow) {
    form_->showMinimized();
    QApplication::processEvents();
    ASSERT_TRUE(form_->isMinimized());
    osc_->findChild<QAction*>("actSpectrum")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(form_->isMinimized());
    EXPECT_TRUE(form_->isVisible());
    form_->hide();
    osc_->findChild<QAction*>("actSpectrum")->trigger();
    EXPECT_TRUE(form_->isVisible());
}

TEST_F(SpectrumWindow, CurvesAreDrawnInTheirBeamsColours) {
    form_->resize(900, 640);
    Find<QComboBox>("cbSpectrumAmplitude")->setCurrentIndex(1);
    Find<QLineEdit>("edSpectrumFrom")->setText("17 к");
    Find<QLineEdit>("edSpectrumTo")->setText("23 к");
    Q_EMIT Find<QLineEdit>("edSpectrumTo")->editingFinished();
    Mouse(QEvent::MouseMove, At(21000, 0.25) + QPointF(3, -4), Qt::NoButton, Qt::NoButton);
    QApplication::processEvents();
    const QImage shot = form_->grab().toImage();
    // KVARIL_SPECTRUM_SHOT=FILE.png keeps the picture (the help page's is made so).
    if (const char* file = std::getenv("KVARIL_SPECTRUM_SHOT")) shot.save(file);
    const QImage plot = plot_->grab().toImage();
    const QColor am = plot_->CurveColor(form_->Spectra()[0]);
    int coloured = 0;
    for (int y = 0; y < plot.height(); ++y)
        for (int x = 0; x < plot.width(); ++x) coloured += plot.pixelColor(x, y) == am;
    EXPECT_GT(coloured, 30) << "the AM curve, its peak marks and its legend line";
}

}  // namespace
}  // namespace kvaril

namespace kvaril {
namespace {

// Under any session locale Qt's own texts are Russian, and numbers keep their ".".
TEST(RussianLocale, FileTypesInRussianNumbersWithAPoint) {
    const QString comment = QMimeDatabase().mimeTypeForName("application/pgp-signature").comment();
    EXPECT_TRUE(comment.contains(QRegularExpression("[А-Яа-я]"))) << comment.toStdString();
    QDoubleSpinBox plain;
    plain.setValue(1.5);
    EXPECT_EQ(plain.text(), "1,50") << "a spin box left to the locale writes a comma";
}

TEST_F(SpectrumWindow, TheThresholdIsWrittenWithAPoint) {
    EXPECT_EQ(Find<QDoubleSpinBox>("sbSpectrumThreshold")->text().contains(','), false)
        << Find<QDoubleSpinBox>("sbSpectrumThreshold")->text().toStdString();
}

}  // namespace
}  // namespace kvaril
