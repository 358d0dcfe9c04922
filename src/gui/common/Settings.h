#pragma once
// Every value Kvaril keeps in the user's settings, declared once with its key, its type and its
// default. None of them is ever stored in a document. New choices of the user (view options,
// modelling modes) are declared here, off by default, so that with every choice off the
// program is the classic one.

#include <QSettings>
#include <QString>
#include <QStringList>

namespace kvaril {

template <typename T>
struct TSetting {
    const char* Key;
    T Default;
};

namespace settings {

// ---- where each window was: a group with its geometry, maximized state and splitter widths
inline constexpr const char* kMainWindow = "Windows/Main";
inline constexpr const char* kOscWindow = "Windows/Oscilloscope";
inline constexpr const char* kOscBesideWindow = "Windows/OscilloscopeBeside";

// ---- the editor's font; without a stored name the built-in font stays
inline const TSetting<QString> kFontName{"Options/Font/Name", QString()};
inline constexpr TSetting<int> kFontSize{"Options/Font/Size", 0};
inline constexpr TSetting<int> kFontCharset{"Options/Font/Charset", 204};  // Russian

// ---- the documents last opened or saved, newest first
inline const TSetting<QStringList> kRecentFiles{"RecentFiles", QStringList()};

// ---- the oscilloscope's view choices
inline constexpr TSetting<bool> kOscGrid{"Oscilloscope/Grid", false};
inline constexpr TSetting<bool> kOscLegend{"Oscilloscope/Legend", false};
inline constexpr TSetting<bool> kOscSharedScale{"Oscilloscope/SharedGroupScale", false};
// "Вид → Цвета по лучам"
inline constexpr TSetting<bool> kOscBeamColors{"Oscilloscope/BeamColors", false};

// ---- live modelling: the oscilloscope beside the editor, and in that mode runs after a pause
inline constexpr TSetting<bool> kOscBesideEditor{"Modelling/OscilloscopeBesideEditor", false};
inline constexpr TSetting<bool> kAutoRun{"Modelling/AutoRun", false};
// How long an auto-run's model may compute before it is stopped (F9 has no such limit).
inline constexpr TSetting<int> kAutoRunLimitMs{"Modelling/AutoRunLimitMs", 2000};

// ---- the folder each kind of export last wrote to; empty: the document's folder
inline const TSetting<QString> kExportFolderCsv{"Export/Folders/Csv", QString()};
inline const TSetting<QString> kExportFolderWav{"Export/Folders/Wav", QString()};
inline const TSetting<QString> kExportFolderPicture{"Export/Folders/Picture", QString()};

// ---- long runs: "Моделирование → Длинные прогоны" raises the quanta limit from 10000 to
// 10 000 000 (ModelGenerator.h); off, the program keeps the classic limit
inline constexpr TSetting<bool> kLongRuns{"Model/LongRuns", false};

// ---- "Моделирование → Свип...": the last sweep of each document (SweepForm.h), never kept in
// the document itself
inline const TSetting<QStringList> kSweeps{"Model/Sweeps", QStringList()};

// ---- the spectrum window's peak table: how many peaks per beam, from which level in dB up
inline constexpr TSetting<int> kSpectrumPeakCount{"Spectrum/PeakCount", 5};
inline constexpr TSetting<int> kSpectrumPeakThreshold{"Spectrum/PeakThreshold", -60};
// The frequency-response window: what it shows (TResponseShow), a logarithmic frequency axis, the
// segment (0: the default rule) and the frequency its attenuation is read at (Hz; 0: none).
inline constexpr TSetting<int> kResponseShow{"Response/Show", 0};
inline constexpr TSetting<bool> kResponseLogFrequency{"Response/LogFrequency", false};
inline constexpr TSetting<int> kResponseSegment{"Response/Segment", 0};
inline const TSetting<QString> kResponseAttenuationAt{"Response/AttenuationAt", QString()};

// ---- the oscilloscope's measuring lines: the A/B cursors and a line under each marker
inline constexpr TSetting<bool> kOscCursors{"Oscilloscope/Cursors", false};
inline constexpr TSetting<bool> kOscMarkerLines{"Oscilloscope/MarkerLines", false};
// ---- "Вид → Измерения": the page of automatic measures, and which measures it shows (keys of
// the measure table, "freq,rise"; empty: the default choice)
inline constexpr TSetting<bool> kOscMeasures{"Oscilloscope/Measures", false};
inline const TSetting<QString> kOscMeasureKeys{"Oscilloscope/MeasureKeys", QString()};
// and whether it shows each beam's delay and phase from the first beam
inline constexpr TSetting<bool> kOscMeasurePairs{"Oscilloscope/MeasurePairs", false};

}  // namespace settings

// The user's settings of this program.
QSettings OpenSettings();

// The stored value, or the default when there is none or it does not read as the type (a
// hand-edited file).
bool ReadSetting(QSettings& store, const TSetting<bool>& s);
int ReadSetting(QSettings& store, const TSetting<int>& s);
QString ReadSetting(QSettings& store, const TSetting<QString>& s);
QStringList ReadSetting(QSettings& store, const TSetting<QStringList>& s);

template <typename T>
T ReadSetting(const TSetting<T>& s) {
    QSettings store = OpenSettings();
    return ReadSetting(store, s);
}

template <typename T, typename V>
void WriteSetting(const TSetting<T>& s, const V& value) {
    OpenSettings().setValue(s.Key, T(value));
}

}  // namespace kvaril
