#pragma once
// View > Download History: the attempts newest first in a sortable, filterable table, with
// copy and CSV export; a double click shows one attempt and compares its image with the open
// project. frmCompare lists the differences of a comparison, grouped.
#include <QDialog>

struct MainContext;
class DownloadHistoryModel;
class QLineEdit;
class QPlainTextEdit;
class QSortFilterProxyModel;
class QTableView;

class frmCompare : public QDialog {
    Q_OBJECT
public:
    frmCompare(const QString& title, const QString& heading, const QStringList& lines,
               const QString& closeText, QWidget* parent);
    QPlainTextEdit* Text() const { return m_text; }

private:
    QPlainTextEdit* m_text;
};

class frmDownloadHistory : public QDialog {
    Q_OBJECT
public:
    frmDownloadHistory(MainContext& ctx, QWidget* parent);
    ~frmDownloadHistory() override;

    QTableView* Table() const { return m_table; }
    QLineEdit* Filter() const { return m_filter; }
    QSortFilterProxyModel* Proxy() const { return m_proxy; }
    // The selected rows (all shown rows when none is selected) as CSV text.
    QString SelectedCsv() const;
    void CopySelection();
    void ExportCsv();
    // One attempt's details, with a button comparing its image with the open project.
    void ShowDetails(int proxyRow);

private:
    MainContext& m_ctx;
    DownloadHistoryModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QTableView* m_table;
    QLineEdit* m_filter;
};

namespace CompareWindows {
// File > Compare With...: asks for a project file and shows its differences from the open one.
void CompareWithFile(MainContext& ctx, QWidget* parent);
// Alarm Dialer > Compare With Dialer's Last Download...
void CompareWithDialer(MainContext& ctx, QWidget* parent);
} // namespace CompareWindows
