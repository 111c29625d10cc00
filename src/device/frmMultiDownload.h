#pragma once
// Alarm Dialer > Download to Several Dialers: the ports with a tick box each (the simulated
// device as many times as asked), Start, a progress bar, serial number, model and result per
// port; Cancel stops the ports still running. The work is MultiDownload's: a korvactl child
// per port, so the window never waits.
#include "device/MultiDownload.h"

#include "ml/QtFormDialog.h"

#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmMultiDownload;
}
struct DeviceContext;
class QPushButton;
class QSpinBox;
class QTableWidget;

class frmMultiDownload : public QtFormDialog<Forms::Ui_frmMultiDownload> {
    Q_OBJECT
public:
    enum Column { ColPort, ColSerial, ColModel, ColProgress, ColResult };
    explicit frmMultiDownload(DeviceContext& ctx, QWidget* parent = nullptr);
    ~frmMultiDownload() override;
    // Lists the port dialog's ports; run before the dialog is shown.
    void LoadFormObj();
    QTableWidget* tblPorts() const;
    QSpinBox* spnDemo() const;
    QPushButton* cmdStart() const;
    QPushButton* cmdCancel() const;
    // A port typed in (any device path, as the port dialog takes): a ticked row of its own.
    void AddTypedPort(const QString& port);
    // The run in progress or ended last; null before Start.
    const MultiDownload* Download() const { return m_run.get(); }

    static void Run(DeviceContext& ctx, QWidget* parent);

protected:
    void reject() override; // while running: cancels, and closes once every port ended

private:
    void cmdStart_Click();
    void cmdCancel_Click();
    void cmdAdd_Click();
    void spnDemo_Change(int count);
    void AddRow(const QString& label, const QString& port, bool demo, bool ticked);
    void PortChanged(int index);
    void Settled();
    void Finished();
    void SetRunning(bool running);

    DeviceContext& m_ctx;
    std::unique_ptr<MultiDownload> m_run;
    QVector<int> m_rowOf; // the table row of each port of the run
    bool m_running = false;
    bool m_closeWhenDone = false;
};
