#include "tests/report/report_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QHash>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
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

QString PdfText(const QByteArray& pdf) {
    return QString::fromUtf8(
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                 QStringLiteral("%PDF"), QStringLiteral("-")},
                pdf));
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

QString PdfPageSize(const QByteArray& pdf) {
    const QByteArray info = RunTool(QStringLiteral("pdfinfo"), {QStringLiteral("%PDF")}, pdf);
    for (const QByteArray& line : info.split('\n')) {
        if (line.startsWith("Page size:")) {
            return QString::fromUtf8(line.mid(10).trimmed());
        }
    }
    return {};
}

bool PdfStructureHolds(const QByteArray& pdf) {
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    if (startxref < 0) {
        return false;
    }
    const qsizetype xref = pdf.mid(startxref + 9, 20).simplified().split(' ')[0].toLongLong();
    if (pdf.mid(xref, 4) != "xref") {
        return false;
    }
    // The offsets of the objects in use, by object number.
    QHash<qint64, qsizetype> offsets;
    QList<QByteArray> lines = pdf.mid(xref, pdf.indexOf("trailer", xref) - xref).split('\n');
    qint64 object = 0;
    for (const QByteArray& line : lines.mid(1)) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() == 2) {
            object = parts[0].toLongLong();
        } else if (parts.size() == 3) {
            if (parts[2] == "n") {
                offsets.insert(object, parts[0].toLongLong());
            }
            ++object;
        }
    }
    const auto body = [&pdf](qsizetype offset) {
        return pdf.mid(offset, pdf.indexOf("endobj", offset) - offset);
    };
    for (auto it = offsets.cbegin(); it != offsets.cend(); ++it) {
        const QByteArray head = QByteArray::number(it.key()) + " 0 obj";
        if (pdf.mid(it.value(), head.size()) != head) {
            return false;
        }
        const QByteArray text = body(it.value());
        const qsizetype stream = text.indexOf(">>\nstream\n");
        if (stream < 0) {
            continue;
        }
        // "/Length 123" or "/Length 9 0 R", the object holding the number.
        const QList<QByteArray> length =
            text.mid(text.indexOf("/Length ") + 8, 30).simplified().split(' ');
        qint64 size = length.value(0).toLongLong();
        if (length.value(2).startsWith('R')) {
            const QByteArray held = body(offsets.value(length[0].toLongLong()));
            size = held.mid(held.indexOf("obj") + 3).trimmed().toLongLong();
        }
        const qsizetype data = it.value() + stream + 10;
        if (!pdf.mid(data + size).trimmed().startsWith("endstream")) {
            return false;
        }
    }
    return !offsets.isEmpty();
}

QStringList TextDifferences(const QByteArray& pdf, const report::PreparedReport& report, int first,
                            int last) {
    const auto bare = [](QString text) {
        text.removeIf([](QChar c) { return c.isSpace(); });
        return text;
    };
    const QString text = bare(QString::fromUtf8(
        RunTool(QStringLiteral("pdftotext"),
                {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                 QStringLiteral("%PDF"), QStringLiteral("-")},
                pdf)));
    QStringList differences;
    QString printed;
    const int count = static_cast<int>(report.pages.size());
    for (int p = first; p <= (last > 0 ? last : count); ++p) {
        for (const QString& item : PageTexts(report.pages.at(static_cast<std::size_t>(p - 1)))) {
            const QString expected = bare(item);
            printed += expected;
            const QString missing = QStringLiteral("missing: ") + expected;
            if (!text.contains(expected) && !differences.contains(missing)) {
                differences.append(missing);
            }
        }
    }
    for (char32_t c : text.toUcs4()) {
        if ((c >= 0x2E80 && c <= 0x2EFF) || (c >= 0x2F00 && c <= 0x2FDF)) {
            differences.append(QStringLiteral("radical: ") + QString::fromUcs4(&c, 1));
        }
    }
    if (differences.isEmpty() && text != printed) {
        differences.append(QStringLiteral("text: ") + text);
        differences.append(QStringLiteral("printed: ") + printed);
    }
    return differences;
}

QString Characters(const QString& text) {
    QList<char32_t> characters;
    for (char32_t c : text.toUcs4()) {
        if (!QChar::isSpace(c) && !characters.contains(c)) {
            characters.append(c);
        }
    }
    std::sort(characters.begin(), characters.end());
    return QString::fromUcs4(characters.constData(), characters.size());
}

QString PreparedText(const report::PreparedReport& report) {
    QString text;
    for (const report::PreparedPage& page : report.pages) {
        text += PageTexts(page).join(u' ');
    }
    return text;
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

namespace {
QPushButton* OkButton(QWidget* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    return box ? box->button(QDialogButtonBox::Ok) : nullptr;
}
}  // namespace

void PrintToFile(QWidget* printDialog, const QString& path, bool portrait) {
    auto* dialog = qobject_cast<QPrintDialog*>(printDialog);
    ASSERT_NE(dialog, nullptr);
    auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
    ASSERT_NE(printers, nullptr);
    printers->setFocus();
    QTest::keyClick(printers, Qt::Key_End);
    auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->isEnabled());
    file->setFocus();
    // Ctrl+A with the text an X server sends, then the name over the selection.
    QTest::sendKeyEvent(QTest::Click, file, Qt::Key_A, QString(QChar(1)), Qt::ControlModifier);
    QTest::keyClicks(file, path);
    ASSERT_EQ(file->text(), path);
    if (portrait) {
        OnNextModal([](QWidget* properties) {
            ASSERT_NE(properties, nullptr);
            auto* button = properties->findChild<QRadioButton*>(QStringLiteral("portrait"));
            ASSERT_NE(button, nullptr);
            // On the button's circle: the box is wider than the circle and its label.
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
            EXPECT_TRUE(button->isChecked());
            QTest::mouseClick(OkButton(properties), Qt::LeftButton);
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("properties")),
                          Qt::LeftButton);
    }
    QTest::mouseClick(OkButton(dialog), Qt::LeftButton);
}

void OnNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] { act(QApplication::activeModalWidget()); });
}

}  // namespace reporttest
