#include "widgets/ProgramDefaultsDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/ClientState.h"
#include "app/ProgramSettings.h"
#include "widgets/FormKeyNavigator.h"
#include "widgets/LimitedTextEdit.h"
#include "widgets/Prompter.h"

namespace tallux {

namespace {

// Maximum characters of each field as the dialog accepts them.
constexpr int kOriginMax = 63;
constexpr int kNameMax = 30;
constexpr int kDepartmentMax = 30;
constexpr int kPhoneMax = 63;
constexpr int kPostcodeMax = 15;
constexpr int kCompanyMax = 127;
constexpr int kAddressMax = 127;
constexpr int kCountryMax = 63;
constexpr int kProvinceMax = 30;
constexpr int kCityMax = 30;
constexpr int kEmailMax = 63;
constexpr int kSmsMax = 22;

QLineEdit* MakeLine(QWidget* parent, const char* name, int maxCharacters, int widthInCharacters) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxCharacters);
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * widthInCharacters + 12);
    return edit;
}

QLabel* MakeLabel(const QString& text, QWidget* buddy, QWidget* parent, Qt::Alignment vertical = Qt::AlignVCenter) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | vertical);
    label->setBuddy(buddy);
    return label;
}

template <std::size_t N>
void ShowText(QLineEdit* edit, const char16_t (&field)[N]) {
    edit->setText(QString::fromStdU16String(SettingsText(field)));
}

template <std::size_t N>
void TakeText(char16_t (&field)[N], const QLineEdit* edit) {
    SetSettingsText(field, edit->text().toStdU16String(), static_cast<std::size_t>(edit->maxLength()));
}

}  // namespace

CProgramDefaultsDlg::CProgramDefaultsDlg(ClientState& state, QWidget* parent) : QDialog(parent), state_(state) {
    setWindowTitle(QStringLiteral("设置本程序运行默认数据"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Created in the order Enter and Tab walk through them. Both parts are
    // framed with the same label column, so the fields line up.
    auto* general = new QGroupBox(this);
    programNumber_ = MakeLine(general, "programNumber", 4, 4);
    programNumber_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,3}")), programNumber_));
    programNumber_->setMaximumWidth(programNumber_->minimumWidth() + 24);
    defaultOrigin_ = MakeLine(general, "defaultOrigin", kOriginMax, 24);

    auto* sender = new QGroupBox(QStringLiteral("[默认]发件人信息-将默认预录填充"), this);
    senderName_ = MakeLine(sender, "senderName", kNameMax, 16);
    department_ = MakeLine(sender, "department", kDepartmentMax, 16);
    senderPhone_ = MakeLine(sender, "senderPhone", kPhoneMax, 16);
    senderPostcode_ = MakeLine(sender, "senderPostcode", kPostcodeMax, 16);
    senderCompany_ = MakeLine(sender, "senderCompany", kCompanyMax, 40);
    senderAddress_ = new LimitedTextEdit(kAddressMax, sender);
    senderAddress_->setObjectName(QStringLiteral("senderAddress"));
    senderAddress_->setFixedHeight(senderAddress_->fontMetrics().lineSpacing() * 3 + 12);
    senderCountry_ = MakeLine(sender, "senderCountry", kCountryMax, 16);
    senderProvince_ = MakeLine(sender, "senderProvince", kProvinceMax, 16);
    senderCity_ = MakeLine(sender, "senderCity", kCityMax, 16);
    senderEmail_ = MakeLine(sender, "senderEmail", kEmailMax, 16);
    senderSms_ = MakeLine(sender, "senderSms", kSmsMax, 16);

    confirm_ = new QPushButton(QStringLiteral("确认设置"), this);
    close_ = new QPushButton(QStringLiteral("关   闭"), this);
    confirm_->setDefault(true);
    FormKeyNavigator::KeepKeys(confirm_, FormKeyNavigator::EnterKey);
    confirm_->setMinimumWidth(96);
    close_->setMinimumWidth(96);

    auto* top = new QGridLayout(general);
    top->setHorizontalSpacing(8);
    top->addWidget(MakeLabel(QStringLiteral("程序编号:"), programNumber_, general), 0, 0);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(programNumber_);
    auto* numberHint = new QLabel(QStringLiteral("(0-9,多个客户端时唯一识别号)"), general);
    numberHint->setForegroundRole(QPalette::PlaceholderText);
    numberRow->addWidget(numberHint);
    numberRow->addStretch();
    top->addLayout(numberRow, 0, 1);
    top->addWidget(MakeLabel(QStringLiteral("[默认]出发地:"), defaultOrigin_, general), 1, 0);
    top->addWidget(defaultOrigin_, 1, 1);
    top->setColumnStretch(1, 1);

    auto* grid = new QGridLayout(sender);
    grid->setHorizontalSpacing(8);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    auto pair = [&](int row, const QString& leftLabel, QWidget* left, const QString& rightLabel, QWidget* right) {
        grid->addWidget(MakeLabel(leftLabel, left, sender), row, 0);
        grid->addWidget(left, row, 1);
        if (!right) return;
        grid->addWidget(MakeLabel(rightLabel, right, sender), row, 2);
        grid->addWidget(right, row, 3);
    };
    pair(0, QStringLiteral("姓名:"), senderName_, QStringLiteral("部门:"), department_);
    pair(1, QStringLiteral("电话:"), senderPhone_, QStringLiteral("邮编:"), senderPostcode_);
    grid->addWidget(MakeLabel(QStringLiteral("单位:"), senderCompany_, sender), 2, 0);
    grid->addWidget(senderCompany_, 2, 1, 1, 3);
    grid->addWidget(MakeLabel(QStringLiteral("地址:"), senderAddress_, sender, Qt::AlignTop), 3, 0);
    grid->addWidget(senderAddress_, 3, 1, 1, 3);
    pair(4, QStringLiteral("国家:"), senderCountry_, QStringLiteral("省州:"), senderProvince_);
    pair(5, QStringLiteral("城市:"), senderCity_, QStringLiteral("电邮:"), senderEmail_);
    pair(6, QStringLiteral("短信:"), senderSms_, {}, nullptr);
    const int labelWidth = top->itemAtPosition(1, 0)->widget()->sizeHint().width();
    top->setColumnMinimumWidth(0, labelWidth);
    grid->setColumnMinimumWidth(0, labelWidth);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirm_);
    buttons->addWidget(close_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(10);
    layout->addWidget(general);
    layout->addWidget(sender);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {programNumber_,  defaultOrigin_, senderName_,    department_,    senderPhone_,
                        senderPostcode_, senderCompany_, senderAddress_, senderCountry_, senderProvince_,
                        senderCity_,     senderEmail_,   senderSms_,     confirm_,       close_};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    new FormKeyNavigator(this);
    connect(confirm_, &QPushButton::clicked, this, &CProgramDefaultsDlg::Confirm);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);

    ShowSettings();
    programNumber_->setFocus();
}

void CProgramDefaultsDlg::ShowSettings() {
    const ProgramSettingsFile& settings = state_.settings;
    programNumber_->setText(QString::number(settings.programNumber.get()));
    ShowText(defaultOrigin_, settings.defaultOrigin);
    ShowText(senderName_, settings.senderName);
    ShowText(department_, settings.department);
    ShowText(senderPhone_, settings.senderPhone);
    ShowText(senderPostcode_, settings.senderPostcode);
    ShowText(senderCompany_, settings.senderCompany);
    senderAddress_->SetStoredText(QString::fromStdU16String(SettingsText(settings.senderAddress)));
    ShowText(senderCountry_, settings.senderCountry);
    ShowText(senderProvince_, settings.senderProvince);
    ShowText(senderCity_, settings.senderCity);
    ShowText(senderEmail_, settings.senderEmail);
    ShowText(senderSms_, settings.senderSms);
}

void CProgramDefaultsDlg::Confirm() {
    ProgramSettingsFile& settings = state_.settings;
    bool isNumber = false;
    const int number = programNumber_->text().toInt(&isNumber);
    settings.programNumber = isNumber && number >= 0 && number <= 9 ? number : 0;
    TakeText(settings.defaultOrigin, defaultOrigin_);
    TakeText(settings.senderName, senderName_);
    TakeText(settings.department, department_);
    TakeText(settings.senderPhone, senderPhone_);
    TakeText(settings.senderPostcode, senderPostcode_);
    TakeText(settings.senderCompany, senderCompany_);
    SetSettingsText(settings.senderAddress, senderAddress_->StoredText().toStdU16String(), kAddressMax);
    TakeText(settings.senderCountry, senderCountry_);
    TakeText(settings.senderProvince, senderProvince_);
    TakeText(settings.senderCity, senderCity_);
    TakeText(settings.senderEmail, senderEmail_);
    TakeText(settings.senderSms, senderSms_);

    if (SaveProgramSettings(state_.PathOf(kProgramSettingsFile), settings))
        Prompter::Current().Tell(this, QStringLiteral("设置数据已保存。"));
    else
        Prompter::Current().Tell(this, QStringLiteral("Open file error !"), {}, Prompter::Icon::Error);
    accept();
}

void EditSettings(ClientState& state, QWidget* parent) {
    CProgramDefaultsDlg dialog(state, parent);
    dialog.exec();
}

}  // namespace tallux
