#include "AlertSheetModal.h"

#include "AlertPresenter.h"
#include "ErrorLog.h"
#include "Localization.h"
#include "LogCategories.h"

#include <atomic>

namespace {

// One alert: localisation keys only. A text with a second key is composed
// as "<first> <comment> <second>"; an empty default key means the standard
// OK button, an empty alternate or other key means no such button.
struct AlertRow
{
    int number;
    QStringView title;
    QStringView title2;
    QStringView message;
    QStringView message2;
    QStringView defaultButton;
    QStringView alternateButton;
    QStringView otherButton;
};

constexpr QStringView kNone;
constexpr QStringView kCancel = u"1010Title";
constexpr QStringView kOk = u"1011Title";

// 241 confirms a removal, so besides the default it needs a button that
// answers YES; with only the standard OK the list could never be removed.
// 263001 to 263005 belong to the option editor: 263001, 263002 and 263004
// ask before discarding, replacing or removing; 263003 and 263005 report a
// refusal.
constexpr AlertRow kAlerts[] = {
    {100, u"00100Uptake", kNone, u"00100Canceled", kNone, kNone, kNone, kNone},
    {101, u"00101Uptake", kNone, u"00101Canceled", kNone, kNone, kNone, kNone},
    {201, u"00201Uptake01", u"00201Uptake02", u"00201Canceled", kNone, kCancel, u"1008Title",
     u"1009Title"},
    {211, u"00211Uptake", kNone, u"00211Canceled01", u"00211Canceled02", kCancel, kOk, kNone},
    {219, u"00219Uptake", kNone, u"00219Canceled", kNone, kNone, kNone, kNone},
    {240, u"00240Uptake", kNone, u"00240Canceled01", u"00240Canceled02", kCancel, kOk, kNone},
    {241, u"00241Uptake", kNone, u"00241Canceled", kNone, kCancel, u"1031Title", kNone},
    {242, u"00242Uptake", kNone, u"00242Canceled01", u"00242Canceled02", kCancel, kOk, kNone},
    {243, u"00243Uptake", kNone, u"00243Canceled01", u"00243Canceled02", kCancel, kOk, kNone},
    {260, u"00260Uptake", kNone, u"00260Canceled01", u"00260Canceled02", kCancel, u"1012Title",
     kNone},
    {261, u"00261Uptake", kNone, u"00261Canceled", kNone, kCancel, u"1013Title", kNone},
    {262, u"00262Uptake", kNone, u"00262Canceled01", u"00262Canceled02", kCancel, u"1031Title",
     kNone},
    {263, u"00263Uptake", kNone, u"00263Canceled", kNone, kCancel, kOk, kNone},
    {264, u"00264Uptake", kNone, u"00264Canceled", kNone, kCancel, kOk, kNone},
    {710, u"00710Uptake", kNone, u"00710Canceled", kNone, kCancel, kOk, kNone},
    {711, u"00711Uptake", kNone, u"00711Canceled", kNone, kCancel, kOk, kNone},
    {10003, u"10003Uptake", kNone, u"10003Canceled", kNone, u"1034Title", kCancel, kNone},
    {10004, u"10004Uptake", kNone, u"10004Canceled", kNone, kNone, kNone, kNone},
    {10421, u"10421Uptake", kNone, u"10421Canceled", kNone, kNone, kNone, kNone},
    {10422, u"10422Uptake", kNone, u"10422Canceled01", u"10422Canceled02", u"1020Title",
     u"1021Title", kNone},
    {10423, u"10423Uptake", kNone, u"10423Canceled01", u"10423Canceled02", u"1030Title",
     u"1031Title", kNone},
    {10424, u"10424Uptake", kNone, u"10424Canceled01", kNone, kNone, kNone, kNone},
    {10425, u"10425Uptake", kNone, u"10425Canceled01", u"10425Canceled02", kNone, kNone, kNone},
    {71505, u"71505Uptake", kNone, u"71505Canceled", kNone, kNone, kNone, kNone},
    {202201, u"202201Uptake", kNone, u"202201Canceled01", u"202201Canceled02", u"1020Title",
     u"1021Title", kNone},
    {263001, u"263001Uptake", kNone, u"263001Canceled", kNone, kCancel, u"1014Title", kNone},
    {263002, u"263002Uptake", kNone, u"263002Canceled01", u"263002Canceled02", u"1020Title",
     u"1021Title", kNone},
    {263003, u"263003Uptake", kNone, u"263003Canceled01", u"263003Canceled02", kNone, kNone,
     kNone},
    {263004, u"263004Uptake", kNone, u"263004Canceled01", u"263004Canceled02", kCancel,
     u"1031Title", kNone},
    {263005, u"263005Uptake", kNone, u"263005Canceled01", u"263005Canceled02", kNone, kNone,
     kNone},
};

const AlertRow *findAlert(int number)
{
    for (const AlertRow &row : kAlerts) {
        if (row.number == number)
            return &row;
    }
    return nullptr;
}

QString alertText(QStringView first, QStringView second, const QString &comment)
{
    const QString text = Localization::textOrKey(Localization::kAlertTable, first.toString());
    if (second.isEmpty())
        return text;
    return text + u' ' + comment + u' '
        + Localization::textOrKey(Localization::kAlertTable, second.toString());
}

QString buttonLabel(QStringView key)
{
    if (key.isEmpty())
        return {};
    return Localization::textOrKey(Localization::kMainTable, key.toString());
}

std::atomic<AlertPresenter *> &installedPresenter()
{
    static std::atomic<AlertPresenter *> presenter{nullptr};
    return presenter;
}

} // namespace

AlertContent AlertSheetModal::contentForAlert(int number, const QString &comment)
{
    AlertContent content;
    content.number = number;
    const AlertRow *row = findAlert(number);
    if (!row)
        return content;
    content.known = true;
    content.title = alertText(row->title, row->title2, comment);
    content.message = alertText(row->message, row->message2, comment);
    content.defaultButton = buttonLabel(row->defaultButton);
    content.alternateButton = buttonLabel(row->alternateButton);
    content.otherButton = buttonLabel(row->otherButton);
    return content;
}

bool AlertSheetModal::openAlert(int number, const QString &comment)
{
    return ErrorLog::guarded(lcPlatform(), u"Alert Sheet Modal", u"openAlert", false, [&] {
        const AlertContent content = contentForAlert(number, comment);
        AlertPresenter *shown = presenter();
        if (!shown) {
            qCWarning(lcPlatform).noquote()
                << QStringLiteral("alert %1 answered NO: no alert presenter is installed")
                       .arg(number);
            return false;
        }
        const AlertButton button = shown->present(content);
        // A button the alert does not have cannot have been pressed.
        if ((button == AlertButton::Alternate && content.alternateButton.isEmpty())
            || (button == AlertButton::Other && content.otherButton.isEmpty()))
            return false;
        return answerForButton(button);
    });
}

AlertPresenter *AlertSheetModal::setPresenter(AlertPresenter *presenter)
{
    return installedPresenter().exchange(presenter);
}

AlertPresenter *AlertSheetModal::presenter()
{
    return installedPresenter().load();
}
