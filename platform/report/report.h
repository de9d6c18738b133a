// The report engine's objects as the program uses them: the report (template, preparation,
// preview), the dataset link and the cross-tab type.
#pragma once

#include <QObject>
#include <QPageLayout>
#include <QString>
#include <functional>

#include "platform/report/layout.h"
#include "platform/report/render.h"
#include "platform/report/reportobjects.h"

class DataSource;
class Dialogs;
class QPrinter;

// The link through which a report reaches a table, under its user name. Templates take no data
// through it: lists are filled by the program. The table stays open when a report ends.
class TfrxDBDataset {
public:
    QString UserName;
    DataSource* GetDataSource() const { return dataSource_; }
    void SetDataSource(DataSource* source) { dataSource_ = source; }

private:
    DataSource* dataSource_ = nullptr;
};

// Makes cross views available to templates. The reader of this engine always knows them, so
// the object has nothing to do; it stands for the component the report's owner declares.
class TfrxCrossObject {};

class TfrxReport : public QObject {
    Q_OBJECT
public:
    // Writes a file whole, atomically; false on failure. Used for the PDF export.
    using FileWriter = std::function<bool(const QString& path, const QByteArray& bytes)>;

    enum TfrxZoomMode { zmDefault, zmWholePage, zmPageWidth };
    struct TPreviewOptions {
        bool Maximized = true;
        // zmDefault opens at ZoomFactor; the others fit a whole page or the page's width.
        TfrxZoomMode ZoomMode = zmDefault;
        double ZoomFactor = 1;  // 1 shows the page at its printed size
    };

    TfrxReport(Dialogs& dialogs, FileWriter writeFile, QObject* parent = nullptr);
    ~TfrxReport() override;

    // Called with each component of a band about to print (see report::Prepare).
    std::function<void(TfrxReportComponent*)> OnBeforePrint;
    // The preview's settings; they survive Clear and LoadFromFile.
    TPreviewOptions PreviewOptions;
    // Values that memo texts name in brackets ("[Count]"); set by the program, for example
    // from the before-print event, before the memos that print them.
    report::Variables Variables;

    // Empties the report: no pages, objects, variables or prepared pages.
    void Clear();
    // Empties the report and reads the template when the file exists. A missing file fails with
    // "Cannot open file" when raiseIfMissing is set and otherwise leaves the report empty.
    // Returns whether the file existed. A faulty template fails with its file and line.
    bool LoadFromFile(const QString& fileName, bool raiseIfMissing);
    // Lays the report out anew, discarding the pages prepared before.
    void PrepareReport();
    // Shows the prepared pages in the modal preview; returns when it closes.
    void ShowPreparedReport();

    TfrxReportComponent* FindObject(const QString& name) const;
    const report::PreparedReport& PreparedPages() const { return prepared_; }
    int PreparedPageCount() const { return static_cast<int>(prepared_.pages.size()); }

    // The paper, orientation and margins of the template's first page; empty report: A4.
    QPageLayout PageSetup() const;
    // Gives every page of the template the paper, orientation and margins (page setup).
    void SetPageSetup(const QPageLayout& layout);

    // Output of the prepared pages: all of them, each on its own paper, unless sheets choose.
    QByteArray ExportToPdf(const report::Sheets& sheets = {}) const;
    // Exports to a file; fails with "Cannot create file" when it cannot be written.
    void ExportToPdfFile(const QString& path, const report::Sheets& sheets = {}) const;
    // False when the printer cannot be opened.
    bool Print(QPrinter& printer, const report::Sheets& sheets) const;

    Dialogs& GetDialogs() const { return dialogs_; }

private:
    Dialogs& dialogs_;
    FileWriter writeFile_;
    report::ReportTemplate template_;
    report::PreparedReport prepared_;
    QString title_;
};
