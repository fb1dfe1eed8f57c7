// Which SANE device opens first, with the test backend's private configuration.
#include "platform/sane/SaneDevices.h"

#include "platform/sane/SaneScanDevice.h"
#include "tests/support/SaneTestBackend.h"

#include <gtest/gtest.h>
#include <signal.h>

TEST(SaneDevices, OpenTheFirstDeviceOrTheOneTheEnvironmentNames)
{
    sanetest::installConfiguration();
    for (const QByteArray& named : {QByteArray(), QByteArray("test:7")}) {
        SCOPED_TRACE(named.toStdString());
        if (named.isEmpty())
            qunsetenv("SANE_DEFAULT_DEVICE");
        else
            qputenv("SANE_DEFAULT_DEVICE", named);
        QString why;
        const std::unique_ptr<SaneScanDevice> device = SaneDevices().openFirstSane(&why);
        qunsetenv("SANE_DEFAULT_DEVICE");
        ASSERT_TRUE(device) << why.toStdString();
        EXPECT_EQ(device->name(), named.isEmpty() ? QString("test:0") : QString(named));
    }
}

TEST(SaneDevices, AnOptionTheDeviceLacksIsRefusedInWords)
{
    sanetest::installConfiguration();
    qputenv("SANE_DEFAULT_DEVICE", "test:1");
    QString why;
    const std::unique_ptr<SaneScanDevice> device = SaneDevices().openFirstSane(&why);
    qunsetenv("SANE_DEFAULT_DEVICE");
    ASSERT_TRUE(device) << why.toStdString();

    EXPECT_EQ(device->setOption("no-such-option", 1), ScanDevice::Status::Failed);
    EXPECT_EQ(device->errorText(), "The scanner has no option no-such-option.");
}

// The backend's reading thread sets SIGTERM to its default; the program's clean end on SIGTERM
// must survive a scan.
TEST(SaneDevices, AScanLeavesTheProgramsSignalHandlersInPlace)
{
    sanetest::installConfiguration();
    struct sigaction own
    {
    };
    own.sa_handler = [](int) {};
    struct sigaction before
    {
    };
    ASSERT_EQ(sigaction(SIGTERM, &own, &before), 0);

    qputenv("SANE_DEFAULT_DEVICE", "test:2");
    QString why;
    std::unique_ptr<SaneScanDevice> device = SaneDevices().openFirstSane(&why);
    qunsetenv("SANE_DEFAULT_DEVICE");
    ASSERT_TRUE(device) << why.toStdString();
    ScanDevice::Frame frame;
    ASSERT_EQ(device->start(&frame), ScanDevice::Status::Good);
    QByteArray data;
    do
        ASSERT_EQ(device->read(&data, 64 * 1024), ScanDevice::Status::Good);
    while (!data.isEmpty());
    device->cancel();

    struct sigaction now
    {
    };
    sigaction(SIGTERM, &before, &now);
    EXPECT_EQ(now.sa_handler, own.sa_handler);
}
