#include "capture/video_cap_wnd.h"
#include "temp_home.h"

#include <camera/synthetic/synthetic_camera.h>

#include <gtest/gtest.h>

#include <functional>

using namespace quelmar::station;
using namespace quelmar;

namespace {

// Two cameras whose order the test can change between enumerations.
class TwoCameraBackend final : public CameraBackend {
public:
    explicit TwoCameraBackend(std::shared_ptr<SyntheticCameraHub> hub) : hub_(std::move(hub)) {}
    std::vector<CameraInfo> list = {{"Scope A", "usb-1 /dev/video0", "usb-1"},
                                    {"Scope B", "usb-2 /dev/video2", "usb-2"}};
    std::vector<CameraInfo> enumerate() override { return list; }
    std::unique_ptr<Camera> open(const CameraInfo &) override
    {
        return std::make_unique<SyntheticCamera>(hub_);
    }

private:
    std::shared_ptr<SyntheticCameraHub> hub_;
};

class CaptureGraphTest : public ::testing::Test {
protected:
    test::TempHome home;
    CaptureState state;
    std::shared_ptr<SyntheticCameraHub> hub = std::make_shared<SyntheticCameraHub>();
    SyntheticBackend backend{hub};
    QString capConfig = home.file(QStringLiteral("CapConfig.dat"));

    bool build(CVideoCapWnd &wnd)
    {
        return wnd.EnumerateDevices() && wnd.BuildGraph() && wnd.ConfigureFormat();
    }
};

TEST_F(CaptureGraphTest, WithoutCapConfigTheClassHighSizeIsUsed)
{
    CVideoCapWnd wnd(&backend, state, capConfig);
    ASSERT_TRUE(build(wnd));
    EXPECT_EQ(state.sensorClass, 3);
    EXPECT_EQ(state.captureWidth, 2592);
    EXPECT_EQ(state.captureHeight, 1944);
    EXPECT_EQ(state.frameRate, 2);
    // 160x120 is offered but too small; 640x480 is offered twice but listed once.
    EXPECT_EQ(wnd.captureSizes().front().width, 320);
    EXPECT_EQ(std::count_if(wnd.captureSizes().begin(), wnd.captureSizes().end(),
                            [](const CaptureSize &s) { return s.width == 640; }),
              1);
}

TEST_F(CaptureGraphTest, CapConfigBringsTheLastSizeBack)
{
    {
        CVideoCapWnd wnd(&backend, state, capConfig);
        ASSERT_TRUE(build(wnd));
        EXPECT_TRUE(wnd.SetCaptureSize(1280, 960));
        EXPECT_EQ(state.frameRate, 5);
    }
    CaptureState next;
    CVideoCapWnd wnd(&backend, next, capConfig);
    ASSERT_TRUE(build(wnd));
    EXPECT_EQ(next.captureWidth, 1280);
    EXPECT_EQ(next.captureHeight, 960);
    ASSERT_TRUE(readCapConfig(capConfig).has_value());
    EXPECT_EQ(readCapConfig(capConfig)->bmi.width, 1280);
}

TEST_F(CaptureGraphTest, ReEnumerationKeepsTheSelectedDevice)
{
    TwoCameraBackend two(hub);
    CVideoCapWnd wnd(&two, state, capConfig);
    ASSERT_TRUE(wnd.EnumerateDevices());
    EXPECT_EQ(wnd.currentDeviceIndex(), 0);
    ASSERT_TRUE(wnd.SelectDevice(1));
    std::swap(two.list[0], two.list[1]);
    two.list.push_back({"Scope C", "usb-3 /dev/video4", "usb-3"});
    ASSERT_TRUE(wnd.EnumerateDevices());
    EXPECT_EQ(wnd.currentDeviceIndex(), 0);
    EXPECT_EQ(wnd.devices()[0].handle.identity, QStringLiteral("usb-2"));
    EXPECT_EQ(wnd.devices().size(), 3u);
    wnd.ReleaseAll();
}

TEST_F(CaptureGraphTest, NoCameraFailsEnumeration)
{
    hub->unplug();
    CVideoCapWnd wnd(&backend, state, capConfig);
    EXPECT_FALSE(wnd.EnumerateDevices());
    CVideoCapWnd none(nullptr, state, capConfig);
    EXPECT_FALSE(none.EnumerateDevices());
}

TEST_F(CaptureGraphTest, ButtonBranchOnlyWithTheSwitchOn)
{
    CVideoCapWnd wnd(&backend, state, capConfig);
    ASSERT_TRUE(build(wnd));
    EXPECT_FALSE(wnd.hasStillBranch());
    wnd.SetStillSwitch(1);
    EXPECT_TRUE(wnd.hasStillBranch());
}

// A still taken right after the stream (re)starts must not be the last picture of the stream
// before: every start forgets it.
TEST_F(CaptureGraphTest, EveryStreamStartForgetsTheLastPicture)
{
    CVideoCapWnd wnd(&backend, state, capConfig);
    ASSERT_TRUE(build(wnd));
    Frame last(2, 2);
    const std::pair<const char *, std::function<void()>> starts[] = {
        {"Run", [&] { wnd.Run(); }},
        {"Restart", [&] { wnd.Restart(); }},
        {"SetCaptureSize", [&] { wnd.SetCaptureSize(640, 480); }},
        {"SetStillSwitch", [&] { wnd.SetStillSwitch(1); }},
    };
    for (const auto &[name, start] : starts) {
        state.snapshot.store(last.view(), 1.0);
        start();
        EXPECT_TRUE(wnd.isRunning()) << name;
        EXPECT_FALSE(state.snapshot.hasFrame()) << name;
    }
    // A still asked for while the camera goes away does not wait for the next camera.
    state.requestStill(false);
    wnd.ReleaseAll();
    EXPECT_FALSE(state.stillRequested);
}

TEST(StillGrabber, OnePressGivesAtMostOneStillPerDrawnFrame)
{
    CaptureState state;
    CStillGrabberCB cb(state);
    cb.onButton();
    EXPECT_FALSE(state.stillRequested) << "no frame drawn yet";
    state.frameDrawn = true;
    cb.onButton();
    EXPECT_TRUE(state.stillRequested);
    EXPECT_TRUE(state.stillFromButton);
    state.stillRequested = false;
    cb.onButton();
    EXPECT_FALSE(state.stillRequested) << "the second press waits for the next drawn frame";
}

TEST(SampleGrabber, StillRequestIsCompletedByTheNextFrameAndSkipsTheSnapshot)
{
    CaptureState state;
    std::vector<bool> posted;
    CSampleGrabberCB::Wiring w;
    w.state = &state;
    w.postStill = [&](bool fromButton) { posted.push_back(fromButton); };
    CSampleGrabberCB cb(std::move(w));
    Frame first(4, 2);
    std::fill(first.data(), first.data() + first.byteCount(), 10);
    cb.onFrame(first.view(), 1.0);
    state.requestStill(true);
    Frame second(4, 2);
    std::fill(second.data(), second.data() + second.byteCount(), 20);
    cb.onFrame(second.view(), 2.0);
    ASSERT_EQ(posted, std::vector<bool>{true});
    EXPECT_FALSE(state.stillRequested);
    Frame copy;
    double t = 0;
    ASSERT_TRUE(state.snapshot.copyTo(copy, &t));
    EXPECT_EQ(copy.data()[0], 10) << "the snapshot keeps the frame before the request";
    EXPECT_EQ(t, 1.0);
    EXPECT_TRUE(state.frameDrawn);
}

TEST(SampleGrabber, StillRequestedBeforeAnyFrameTakesTheFirstFrame)
{
    CaptureState state;
    int posted = 0;
    CSampleGrabberCB::Wiring w;
    w.state = &state;
    w.postStill = [&](bool) { ++posted; };
    CSampleGrabberCB cb(std::move(w));
    state.requestStill(false);
    Frame first(2, 2);
    std::fill(first.data(), first.data() + first.byteCount(), 7);
    cb.onFrame(first.view(), 0.5);
    Frame copy;
    ASSERT_TRUE(state.snapshot.copyTo(copy));
    EXPECT_EQ(copy.data()[0], 7);
    EXPECT_EQ(posted, 0) << "the still completes with the next frame";
    cb.onFrame(first.view(), 0.6);
    EXPECT_EQ(posted, 1);
}

} // namespace
