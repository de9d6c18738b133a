#include "platform/report/pagesetup.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr QPageSize::PageSizeId kPapers[] = {QPageSize::A4, QPageSize::A3,     QPageSize::A5,
                                             QPageSize::B5, QPageSize::Letter, QPageSize::Legal};
}  // namespace

TfrxPageSetupForm::TfrxPageSetupForm(const QPageLayout& layout, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfrxPageSetupForm"));
    setWindowTitle(QStringLiteral("页面设置"));
    auto* form = new QFormLayout;
    paper_ = new QComboBox(this);
    paper_->setObjectName(QStringLiteral("PaperBox"));
    for (QPageSize::PageSizeId id : kPapers) {
        paper_->addItem(QPageSize::name(id), static_cast<int>(id));
    }
    const int current = paper_->findData(static_cast<int>(layout.pageSize().id()));
    if (current < 0) {
        // A paper of the template's own size stays choosable.
        paper_->addItem(layout.pageSize().name(), QVariant::fromValue(layout.pageSize()));
    }
    paper_->setCurrentIndex(current < 0 ? paper_->count() - 1 : current);
    // Each label is its box's buddy (QFormLayout makes it so) and names it for a screen reader.
    paper_->setAccessibleName(QStringLiteral("纸张"));
    form->addRow(QStringLiteral("纸张(&A)："), paper_);

    portrait_ = new QRadioButton(QStringLiteral("纵向(&V)"), this);
    portrait_->setObjectName(QStringLiteral("portrait"));
    landscape_ = new QRadioButton(QStringLiteral("横向(&H)"), this);
    landscape_->setObjectName(QStringLiteral("landscape"));
    (layout.orientation() == QPageLayout::Landscape ? landscape_ : portrait_)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(portrait_);
    orientation->addWidget(landscape_);
    auto* orientationLabel = new QLabel(QStringLiteral("方向(&D)："), this);
    orientationLabel->setBuddy(portrait_);
    form->addRow(orientationLabel, orientation);

    const QMarginsF m = layout.margins(QPageLayout::Millimeter);
    const double values[] = {m.left(), m.top(), m.right(), m.bottom()};
    const char16_t* labels[] = {u"左边距(毫米)(&L)：", u"上边距(毫米)(&T)：", u"右边距(毫米)(&R)：",
                                u"下边距(毫米)(&B)："};
    const char16_t* titles[] = {u"左边距(毫米)", u"上边距(毫米)", u"右边距(毫米)", u"下边距(毫米)"};
    const char16_t* names[] = {u"LeftMargin", u"TopMargin", u"RightMargin", u"BottomMargin"};
    for (int i = 0; i < 4; ++i) {
        margins_[i] = new QDoubleSpinBox(this);
        margins_[i]->setObjectName(QString::fromUtf16(names[i]));
        margins_[i]->setRange(0, 80);
        margins_[i]->setDecimals(1);
        margins_[i]->setValue(values[i]);
        margins_[i]->setAccessibleName(QString::fromUtf16(titles[i]));
        form->addRow(QString::fromUtf16(labels[i]), margins_[i]);
    }

    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("MarginProblem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
    problem_->hide();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定(&O)"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("取消(&C)"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(problem_);
    main->addWidget(buttons);
}

QString TfrxPageSetupForm::MarginProblem() const {
    const QPageLayout layout = Layout();
    const QSizeF paper = layout.fullRect(QPageLayout::Millimeter).size();
    const double width = paper.width() - margins_[0]->value() - margins_[2]->value();
    const double height = paper.height() - margins_[1]->value() - margins_[3]->value();
    if (width >= kMinPrintable && height >= kMinPrintable) {
        return QString();
    }
    // Margins that leave a strip of paper print one character per column on thousands of pages.
    return QStringLiteral(
               "页边距太大：纸张 %1×%2 毫米，留下的可打印区域只有 %3×%4 毫米，"
               "宽和高至少要 %5 毫米。")
        .arg(paper.width(), 0, 'f', 0)
        .arg(paper.height(), 0, 'f', 0)
        .arg(std::max(width, 0.0), 0, 'f', 0)
        .arg(std::max(height, 0.0), 0, 'f', 0)
        .arg(kMinPrintable, 0, 'f', 0);
}

void TfrxPageSetupForm::accept() {
    const QString problem = MarginProblem();
    problem_->setText(problem);
    problem_->setVisible(!problem.isEmpty());
    if (problem.isEmpty()) {
        QDialog::accept();
    }
}

QPageLayout TfrxPageSetupForm::Layout() const {
    const QVariant data = paper_->currentData();
    const QPageSize size = data.canConvert<QPageSize>() && data.userType() != QMetaType::Int
                               ? data.value<QPageSize>()
                               : QPageSize(static_cast<QPageSize::PageSizeId>(data.toInt()));
    QPageLayout layout(size,
                       landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Millimeter);
    layout.setMargins(QMarginsF(margins_[0]->value(), margins_[1]->value(), margins_[2]->value(),
                                margins_[3]->value()));
    return layout;
}
