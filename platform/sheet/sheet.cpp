#include "platform/sheet/sheet.h"

#include "platform/sheet/book.h"
#include "platform/sheet/cfbf.h"
#include "platform/text/apperror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace sheet {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString FailureText(Failure failure, const QString& shown) {
    switch (failure) {
        case Failure::Empty:
            return QStringLiteral(
                       "文件“%1”是空文件，没有可导入的工作表；请选择保存了数据的"
                       "文件")
                .arg(shown);
        case Failure::Password:
            return QStringLiteral("文件“%1”设有密码保护，请先在电子表格程序中取消密码再导入")
                .arg(shown);
        case Failure::TooLarge:
            return QStringLiteral(
                       "文件“%1”太大，无法导入；请删去不需要的工作表和行，"
                       "或分成几个文件后再导入")
                .arg(shown);
        case Failure::PartTooLarge:
            return QStringLiteral(
                       "文件“%1”中有一部分解压后超过 %2 MB，远大于任何可导入的表格，"
                       "未导入")
                .arg(shown)
                .arg(kMaxPartMegabytes);
        case Failure::Encoding:
            return QStringLiteral(
                       "文件“%1”的文字既不是GB18030（GBK）编码，也不是UTF-8"
                       "编码，无法导入；请另存为以上编码之一后再导入")
                .arg(shown);
        case Failure::Utf16:
            return QStringLiteral(
                       "文件“%1”是UTF-16（Unicode）编码的文本，无法导入；请在电子表格程序中"
                       "另存为“CSV UTF-8（逗号分隔）”或GBK编码的CSV文件后再导入")
                .arg(shown);
        case Failure::NotWorkbook:
            break;
    }
    return QStringLiteral(
               "文件“%1”不是可读取的工作簿（.xls、.xlsx 或 .csv），或者已经损坏；请在"
               "电子表格程序中打开并另存为 .xlsx 后再导入")
        .arg(shown);
}

AppError FailureError(Failure failure, const QString& path) {
    return AppError(FailureText(failure, Native(path)));
}

class FileApplication;

class FileWorksheet : public Worksheet {
public:
    FileWorksheet(FileApplication& app, int index) : app_(app), index_(index) {}
    void Activate() override;

private:
    FileApplication& app_;
    int index_;
};

class FileApplication : public Application, public Workbooks {
public:
    Workbooks& GetWorkbooks() override { return *this; }

    void Open(const QString& path) override {
        QFile file(path);
        if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
            throw AppError(
                QStringLiteral("无法打开文件“%1”，请确认文件存在、未被其他程序占用后重新选择。")
                    .arg(Native(path)));
        }
        if (file.size() > kMaxFileBytes) {
            throw FailureError(Failure::TooLarge, path);
        }
        const QByteArray bytes = file.readAll();
        if (bytes.size() != file.size()) {
            throw AppError(
                QStringLiteral("无法读取文件“%1”，请确认文件完好、未被其他程序占用后重新选择。")
                    .arg(Native(path)));
        }
        try {
            book_ = ReadBook(bytes);
        } catch (const ReadFailure& f) {
            throw FailureError(f.failure, path);
        }
        path_ = path;
        active_.reset();
    }

    void Close() override {
        active_.reset();
        sheets_.clear();
        book_.reset();
    }

    Worksheet& Worksheets(int index) override {
        RequireBook();
        if (index < 1 || index > book_->WorksheetCount()) {
            throw AppError(
                QStringLiteral("文件“%1”中没有第 %2 个工作表").arg(Native(path_)).arg(index));
        }
        sheets_.push_back(std::make_unique<FileWorksheet>(*this, index));
        return *sheets_.back();
    }

    void ActivateSheet(int index) {
        RequireBook();
        try {
            active_ = book_->LoadWorksheet(index);
        } catch (const ReadFailure& f) {
            throw FailureError(f.failure, path_);
        }
    }

    QString Cells(int row, int column) override {
        if (!active_) {
            throw AppError(QStringLiteral("没有活动的工作表"));
        }
        return active_->Cell(row, column);
    }

    QString WorksheetName(int index) override {
        RequireBook();
        return book_->WorksheetName(index);
    }
    bool WorksheetHidden(int index) override {
        RequireBook();
        return book_->WorksheetHidden(index);
    }
    bool RowHidden(int row) override { return active_ && active_->RowHidden(row); }
    int LastUsedRow() override { return active_ ? active_->LastRow() : 0; }
    bool ColumnHidden(int column) override { return active_ && active_->ColumnHidden(column); }
    int ShownDecimals(int row, int column) override {
        return active_ ? active_->ShownDecimals(row, column) : -1;
    }
    bool Formula(int row, int column) override { return active_ && active_->Formula(row, column); }
    std::vector<Area> MergedAreas() override {
        return active_ ? active_->MergedAreas() : std::vector<Area>{};
    }

    void Quit() override { Close(); }

private:
    void RequireBook() const {
        if (!book_) {
            throw AppError(QStringLiteral("没有打开的工作簿"));
        }
    }

    QString path_;
    std::unique_ptr<Book> book_;
    std::unique_ptr<Grid> active_;
    std::vector<std::unique_ptr<FileWorksheet>> sheets_;
};

void FileWorksheet::Activate() {
    app_.ActivateSheet(index_);
}

}  // namespace

ReadFailure::ReadFailure(Failure f) : AppError(FailureText(f, QString())), failure(f) {}

std::unique_ptr<Book> ReadBook(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        throw ReadFailure{Failure::Empty};
    }
    if (cfbf::HasSignature(bytes)) {
        return ReadXls(bytes);
    }
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06")) {
        return ReadXlsx(bytes);
    }
    return ReadCsv(bytes);
}

std::unique_ptr<Application> CreateApplication() {
    return std::make_unique<FileApplication>();
}

}  // namespace sheet
