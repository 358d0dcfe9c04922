#include "batch/DocumentInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "base/Cp1251.h"
#include "document/DocumentFile.h"
#include "document/uBeam.h"
#include "document/uSignal.h"

namespace kvaril {
namespace {

TEST(DocumentInfo, DescribesSignalsScreensBeamsAndLabels) {
    TSignals signals;
    TOsc osc;
    auto signal = std::make_unique<TSignal>(signals);
    signal->InitTemplate(Utf8ToCp1251("Синус"), false);
    signals.Insert(std::move(signal), -1);
    osc.SyncWithSignals(signals);
    osc.View(0).Beam(0).SetGain(2);
    auto label = std::make_unique<TTimeLabel>(osc);
    label->SetTime(0.05);
    osc.View(0).AddTimeLabel(std::move(label));

    const std::string text = DescribeDocument(signals, osc);
    for (const char* part :
         {"Время квантования: 0.0001 с", "Время моделирования: 0.1 с", "Число квантов: 1000",
          "1. Синус (строк: 22)", "Экран 1: \"Экран 1\", T0 = 0, T1 = 0.1",
          "Луч 1 (Синус): усиление 2, смещение 0, группа 1, нулевая линия Есть, интерполяция Нет",
          "Метки: m1 = 0.05", "Цветовая схема: 0 (серая)"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
}

TEST(DocumentInfo, ReadErrorsGoToTheErrorStreamWithThePath) {
    const std::string path = std::filesystem::temp_directory_path() /
                             ("kvaril-info-" + std::to_string(getpid()) + ".sig");
    {
        TSignals signals;
        TOsc osc;
        WriteDocument(path, signals, osc);
    }
    std::ostringstream out, err;
    EXPECT_EQ(PrintDocumentInfo(path, out, err), 0);
    EXPECT_NE(out.str().find("Сигналы: 0"), std::string::npos);
    EXPECT_EQ(err.str(), "");

    std::filesystem::resize_file(path, 20);
    std::ostringstream out2, err2;
    EXPECT_EQ(PrintDocumentInfo(path, out2, err2), 1);
    EXPECT_EQ(err2.str(), "Файл: " + path + "\nStream read error\n");
    EXPECT_EQ(out2.str(), "");
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace kvaril
