#pragma once
// The "Preferences" dialog: the MIDI input and output lists. Choosing an entry
// opens that port at once; OK keeps the choice (the caller saves); Cancel
// puts the settings from before the dialog back.

#include <QDialog>

class QComboBox;
class QLabel;

namespace tolvane {

class AppHost;

class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(AppHost& host, QWidget* parent = nullptr);

    QComboBox* InputList() const { return inputs_; }
    QComboBox* OutputList() const { return outputs_; }
    QLabel* SystemsFound() const { return systems_; }

    void accept() override;
    void reject() override;

private:
    void Apply();

    AppHost& host_;
    QComboBox* inputs_;
    QComboBox* outputs_;
    QLabel* systems_;
};

} // namespace tolvane
