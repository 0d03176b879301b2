#pragma once

#include <QDialog>

class Controller;
class dbBeacon;
class MemoryTableWidget;

// The memories within the receiver's range: "+" stores the current frequency
// (a memory the database refuses is not listed, and the user is told), "-"
// deletes the selected memory after confirmation, edits go to the database
// and selecting a memory tunes the dialog's channel to it.
class MemoryManagementWindow : public QDialog
{
    Q_OBJECT

public:
    // The range is the receiver's converter's input range when one is
    // attached, else the receiver's own; open without a receiver.
    MemoryManagementWindow(Controller* controller, int channel, QWidget* parent = nullptr);

    // The frequency "+" stores; 0 (the start) stores nothing.
    void setCurrentFrequency(qint64 freqHz) { currentFrequency = freqHz; }

    MemoryTableWidget* memoryTable() const { return table; }
    dbBeacon* selectedMemory() const { return selected; }
    qint64 lowerLimit() const { return minFreq; }
    qint64 upperLimit() const { return maxFreq; }

private slots:
    void PRIVSLOT_addCurrent();
    void PRIVSLOT_delCurrent();
    void PRIVSLOT_memSelected(dbBeacon* mem);

private:
    Controller* controller;
    int channel;
    qint64 minFreq = 0;
    qint64 maxFreq = 0;
    qint64 currentFrequency = 0;
    dbBeacon* selected = nullptr;
    MemoryTableWidget* table = nullptr;
};
