// The sound device list and its selection dialog, with the test PulseAudio
// server's null sink and its monitor as the devices.
#include "engine/audio/AudioDeviceSelector.h"
#include "engine/audio/AudioDevices.h"

#include "SoundCapture.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList entries(const AudioDeviceSelector& dialog)
{
    QStringList texts;
    auto* box = dialog.findChild<QComboBox*>();
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace

TEST(AudioDeviceSelector, ListsTheInputsAfterTheDefaultEntry)
{
    ASSERT_TRUE(SoundCapture::serverAvailable())
        << "no PulseAudio server: source scripts/pulse-null-sink.sh before the sound tests";
    const QStringList inputs = AudioDevices::instance()->inputNames();
    EXPECT_TRUE(inputs.contains(SoundCapture::kDefaultSource)) << inputs.join(", ").toStdString();

    AudioDeviceSelector dialog(false);
    EXPECT_EQ(dialog.windowTitle(), "Selection audio");
    EXPECT_EQ(dialog.findChild<QLabel*>()->text(), "Entree audio :");
    EXPECT_EQ(dialog.findChild<QComboBox*>()->toolTip(), "Choix de la carte son");
    EXPECT_EQ(dialog.findChild<QPushButton*>()->text(), "Fermer");
    EXPECT_EQ(entries(dialog), QStringList{"Defaut"} + inputs);
    EXPECT_EQ(dialog.deviceNames, inputs);
    EXPECT_TRUE(dialog.selectedDevice.isEmpty());

    AudioDeviceSelector outputs(true);
    EXPECT_EQ(outputs.findChild<QLabel*>()->text(), "Sortie Audio :");
    EXPECT_EQ(entries(outputs), QStringList{"Defaut"} + AudioDevices::instance()->outputNames());
}

TEST(AudioDeviceSelector, ChoiceFollowsTheCurrentEntry)
{
    ASSERT_TRUE(SoundCapture::serverAvailable());
    AudioDeviceSelector dialog(false);
    auto* box = dialog.findChild<QComboBox*>();

    // A device unplugged since the last run is not found: the default stays.
    dialog.selectDevice("unplugged device");
    EXPECT_EQ(dialog.requestedDevice, "unplugged device");
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(dialog.selectedDevice.isEmpty());

    // Names match exactly, letter case included.
    dialog.selectDevice(QString(SoundCapture::kDefaultSource).toUpper());
    EXPECT_TRUE(dialog.selectedDevice.isEmpty());
    dialog.selectDevice(SoundCapture::kDefaultSource);
    EXPECT_EQ(dialog.selectedDevice, SoundCapture::kDefaultSource);

    // Picking the default entry again gives an empty name; the close button ends the dialog.
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_TRUE(dialog.selectedDevice.isEmpty());
    QTest::mouseClick(dialog.findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
}
