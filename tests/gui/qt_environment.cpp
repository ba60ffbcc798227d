// One QApplication for the whole test program, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class Qt_Environment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char arg0_[9] = "test_gui";
    char* argv_[2] = {arg0_, nullptr};
    std::unique_ptr<QApplication> app_;
};

const auto* const env = ::testing::AddGlobalTestEnvironment(new Qt_Environment);

}  // namespace
