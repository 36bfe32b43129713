#include "host/SettingsDialog.h"

#include "host/AppHost.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

namespace {

// Selects the entry equal to the remembered name (case ignored, as the list
// search does); when none is, the name becomes "off" and is saved.
void SelectRemembered(QComboBox* list, std::string& remembered, AppHost& host) {
    const int at = list->findText(QString::fromStdString(remembered), Qt::MatchFixedString);
    if (at >= 0) {
        list->setCurrentIndex(at);
        return;
    }
    remembered = kPortOff;
    host.SaveSettings();
    list->setCurrentIndex(0);
}

constexpr const char* kNoMidiSystemHint =
    "\nNo MIDI system was found. Start JACK or PipeWire's JACK (Tolvane finds it within two seconds), "
    "or plug the pedal in and start Tolvane again to use the ALSA sequencer.";

std::string DescribeSoundSystem(const AppHost& host) {
    const SoundSystems& present = host.Transport().Present();
    std::string text =
        "MIDI systems found: " + DescribeMidiSystems(present) + "\nClock: " + host.DescribeClock();
    if (!present.jack && !present.alsaSequencer) text += kNoMidiSystemHint;
    return text;
}

void Fill(QComboBox* list, const std::vector<std::string>& names) {
    for (const auto& n : names)
        list->addItem(QString::fromStdString(n));
}

} // namespace

SettingsDialog::SettingsDialog(AppHost& host, QWidget* parent)
    : QDialog(parent), host_(host), inputs_(new QComboBox), outputs_(new QComboBox) {
    setWindowTitle("Preferences");
    setModal(true);

    auto* group = new QGroupBox("MIDI Device Settings");
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(new QLabel("Input Device"));
    groupLayout->addWidget(inputs_);
    groupLayout->addWidget(new QLabel("Output Device"));
    groupLayout->addWidget(outputs_);
    // Which port lists there are (a system that is missing has no ports to
    // offer), what clocks the link, and what to do when nothing was found.
    systems_ = new QLabel(QString::fromStdString(DescribeSoundSystem(host_)));
    systems_->setWordWrap(true);
    groupLayout->addWidget(systems_);

    auto* apply = new QPushButton("Apply");
    auto* ok = new QPushButton("OK");
    auto* cancel = new QPushButton("Cancel");
    ok->setDefault(true);
    apply->setAutoDefault(false);
    cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(apply);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    Fill(inputs_, host_.MidiInputNames());
    Fill(outputs_, host_.MidiOutputNames());
    SelectRemembered(inputs_, host_.Settings().midiInputPort, host_);
    SelectRemembered(outputs_, host_.Settings().midiOutputPort, host_);
    host_.TakeSnapshot();

    connect(inputs_, &QComboBox::activated, this, [this](int index) {
        host_.Settings().midiInputPort = inputs_->itemText(index).toStdString();
        host_.SelectMidiPort(MidiDirection::Input, host_.Settings().midiInputPort);
    });
    connect(outputs_, &QComboBox::activated, this, [this](int index) {
        host_.Settings().midiOutputPort = outputs_->itemText(index).toStdString();
        host_.SelectMidiPort(MidiDirection::Output, host_.Settings().midiOutputPort);
    });
    connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(ok, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
}

void SettingsDialog::Apply() {
    host_.StartClock();
}

void SettingsDialog::accept() {
    if (!(host_.Settings() == host_.SettingsInUse())) host_.StartClock();
    QDialog::accept();
}

void SettingsDialog::reject() {
    QDialog::reject();
    if (!(host_.Settings() == host_.Snapshot())) host_.RestoreSnapshot();
}

} // namespace tolvane
