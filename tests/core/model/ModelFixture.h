#pragma once
// A private model directory for tests that build and run real models: a copy of the build's
// Bin/ (compiler stand-in, model host, model project) in a temporary folder.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "TestFolder.h"
#include "document/uSignal.h"
#include "model/CompilerDriver.h"
#include "model/ModelRunner.h"

namespace kvaril::testing {

class ModelFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        dir_ = testing::TestFolder("kvaril-model");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        for (const char* file : {"dcc32", "kvaril-modelhost", "kvml.dpr", "uSignalsData.pas"})
            fs::copy_file(fs::path(KVARIL_TEST_BIN_DIR) / file, dir_ / file);
        binDir_ = dir_.string() + "/";
        options_.BinDir = binDir_;
        options_.Timeout = std::chrono::seconds(60);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // A signal from the skeleton with `make` as the body of Make (after "begin").
    TSignal& Add(const std::string& name, const std::string& make, const std::string& create = "",
                 const std::string& destroy = "") {
        auto signal = std::make_unique<TSignal>(signals_);
        signal->InitTemplate(name, !destroy.empty());
        auto& lines = signal->Lines();
        if (!destroy.empty()) lines[21] = destroy;
        lines[lines.size() - 2] = make;
        lines[destroy.empty() ? 15 : 16] = create;  // the empty line after "inherited Create;"
        TSignal& ref = *signal;
        signals_.Insert(std::move(signal), -1);
        return ref;
    }

    // Replaces the compiler by a shell script.
    void FakeCompiler(const std::string& script) {
        const std::string path = binDir_ + "dcc32";
        std::filesystem::remove(path);
        std::ofstream(path) << "#!/bin/sh\n" << script << "\n";
        ::chmod(path.c_str(), 0755);
    }

    TModelOutcome Build(std::chrono::milliseconds timeout = kCompileTimeout) {
        return GenerateModel(binDir_, signals_, hooks_, timeout);
    }
    TModelOutcome Run() { return RunModel(signals_, options_, hooks_); }

    std::filesystem::path dir_;
    std::string binDir_;
    TSignals signals_;
    TRunOptions options_;
    TModelHooks hooks_;
};

}  // namespace kvaril::testing
