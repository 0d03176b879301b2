#include "MemoryManagementWindow.h"

#include "MemoryTableWidget.h"
#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"
#include "engine/ReceiverHardware.h"
#include "lists/UserNotice.h"
#include "lists/dbUserFreq.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

MemoryManagementWindow::MemoryManagementWindow(Controller* controller, int channel, QWidget* parent)
    : QDialog(parent), controller(controller), channel(channel)
{
    ReceiverHardware* hw = controller != nullptr ? controller->getReceiverHardware() : nullptr;
    if (hw != nullptr) {
        FrequencyConverter* converter = hw->frequencyConverter.load();
        minFreq = converter != nullptr ? converter->In_Min : hw->getMin_HWRx_CenterFreq();
        maxFreq = converter != nullptr ? converter->In_Max : hw->getMax_HWRx_CenterFreq();
    }

    // Widgets are parented in layout order, so that focus starts on "+" and not
    // on the table, whose first focus would select (and tune to) its first row.
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(1);
    auto* bar = new QWidget(this);
    layout->addWidget(bar);
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(QColor(48, 48, 32)));
    bar->setPalette(palette);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setAlignment(Qt::AlignLeft);
    barLayout->setContentsMargins(0, 0, 0, 0);
    auto* addButton = new QPushButton(QStringLiteral("+"));
    addButton->setToolTip(tr("Ajouter fréquence courante"));
    auto* delButton = new QPushButton(QStringLiteral("-"));
    delButton->setToolTip(tr("Supprimer mémoire courante"));
    barLayout->addWidget(addButton);
    barLayout->addWidget(delButton);

    table = new MemoryTableWidget(minFreq, maxFreq, this);
    table->setMinimumWidth(300);
    layout->addWidget(table);
    auto* closeButton = new QPushButton(tr("Fermer"), this);
    layout->addWidget(closeButton);
    setMinimumHeight(350);
    setMinimumWidth(550);

    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(addButton, &QPushButton::clicked, this, &MemoryManagementWindow::PRIVSLOT_addCurrent);
    connect(delButton, &QPushButton::clicked, this, &MemoryManagementWindow::PRIVSLOT_delCurrent);
    connect(table, &MemoryTableWidget::spotSelected, this, &MemoryManagementWindow::PRIVSLOT_memSelected);
}

void MemoryManagementWindow::PRIVSLOT_addCurrent()
{
    // No current frequency given yet: nothing to store.
    if (currentFrequency <= 0)
        return;
    auto mem = std::make_unique<dbUserFreq>();
    const QString label = QString::number(double(currentFrequency) / 1e6, 'f', 3);
    if (mem->createUser(currentFrequency, label) <= 0) {
        UserNotice::show(this, tr("La memoire %1 MHz n'a pas pu etre enregistree dans la base personnelle.")
                                   .arg(label));
        return;
    }
    mem->loadData(-1);
    table->addMemory(mem.release());
}

void MemoryManagementWindow::PRIVSLOT_delCurrent()
{
    if (selected == nullptr)
        return;
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnx"), QObject::tr("Supprimer cette mémoire ?"),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() != QMessageBox::Yes)
        return;
    const int id = selected->ID;
    dbUserFreq::deleteEntry(id);
    selected = nullptr;
    table->removeMemory(id);
}

void MemoryManagementWindow::PRIVSLOT_memSelected(dbBeacon* mem)
{
    if (mem == nullptr || !MemoryTableWidget::withinLimits(mem->FREQ, minFreq, maxFreq))
        return;
    if (controller != nullptr)
        controller->setAbsoluteRxFreq(qint64(mem->FREQ), channel);
    selected = mem;
}
