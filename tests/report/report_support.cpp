#include "tests/report/report_support.h"

#include "platform/report/textbox.h"

#include <QApplication>
#include <QDir>
#include <QHash>
#include <QProcess>
#include <QRawFont>
#include <QTemporaryDir>
#include <QTimer>

namespace reporttest {

QString ShippedTemplate() {
    return QStringLiteral(CORPPAY_SOURCE_DIR "/config/cross.fr3");
}

std::unique_ptr<Dataset> MakeTable(const QStringList& labels, const QList<QStringList>& rows) {
    auto table = std::make_unique<Dataset>();
    for (int i = 0; i < labels.size(); ++i) {
        table->AddFieldDef(QStringLiteral("f%1").arg(i), false, 200);
    }
    table->CreateDataSet();
    for (int i = 0; i < labels.size(); ++i) {
        table->Fields(i).SetDisplayLabel(labels[i]);
    }
    for (const QStringList& row : rows) {
        table->Append();
        for (int i = 0; i < row.size(); ++i) {
            table->Fields(i).SetAsString(row[i]);
        }
        table->Post();
    }
    return table;
}

QStringList PageTexts(const report::PreparedPage& page) {
    QStringList texts;
    for (const report::PreparedItem& item : page.items) {
        texts.append(item.text);
    }
    return texts;
}

namespace {
// Runs a poppler tool over the document in a temporary file; its standard output.
QByteArray RunTool(const QString& tool, QStringList arguments, const QByteArray& pdf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.pdf"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(pdf);
    file.close();
    arguments.replaceInStrings(QStringLiteral("%PDF"), path);
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}
}  // namespace

namespace {
// Qt names each glyph of a CJK font in a PDF by the lowest code point the font draws with it,
// so 行 reads back as the Kangxi radical ⾏ and 页 as ⻚. Maps such radicals back to the
// ideograph the report's font draws with the same glyph.
QString WithoutRadicals(const QString& text) {
    static const QHash<char16_t, char16_t> kIdeographs = [] {
        const QRawFont font = QRawFont::fromFont(report::MakeFont(report::FontDef{}));
        const auto glyph = [&font](char16_t c) {
            const QList<quint32> g = font.glyphIndexesForString(QString(QChar(c)));
            return g.isEmpty() ? 0u : g[0];
        };
        QHash<quint32, char16_t> byGlyph;
        for (char16_t c = 0x4E00; c <= 0x9FFF; ++c) {
            byGlyph.insert(glyph(c), c);
        }
        QHash<char16_t, char16_t> map;
        for (char16_t c = 0x2E80; c <= 0x2FDF; ++c) {
            const quint32 g = glyph(c);
            if (g != 0 && byGlyph.contains(g)) {
                map.insert(c, byGlyph.value(g));
            }
        }
        return map;
    }();
    QString result = text;
    for (QChar& c : result) {
        c = QChar(kIdeographs.value(c.unicode(), c.unicode()));
    }
    return result;
}
}  // namespace

QString PdfText(const QByteArray& pdf) {
    return WithoutRadicals(QString::fromUtf8(
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                 QStringLiteral("%PDF"), QStringLiteral("-")},
                pdf)));
}

int PdfPageCount(const QByteArray& pdf) {
    const QByteArray info = RunTool(QStringLiteral("pdfinfo"), {QStringLiteral("%PDF")}, pdf);
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("Pages:")) {
            return line.mid(6).trimmed().toInt();
        }
    }
    return -1;
}

int InkPixels(const QImage& image) {
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) != 0xFFFFFF) {
                ++ink;
            }
        }
    }
    return ink;
}

void Snapshot(const QImage& image, const QString& name) {
    const QString dir = qEnvironmentVariable("CORPPAY_SNAPSHOT_DIR");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        image.save(dir + u'/' + name + QStringLiteral(".png"));
    }
}

void OnNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] { act(QApplication::activeModalWidget()); });
}

}  // namespace reporttest
