#include <window/DataExchange.h>

#include <window/Dialog.h>
#include <window/Shell.h>

namespace win {

namespace {

// Refuses a field: tells the user why and puts the focus on the field.
bool Refuse(Dialog &dialog, int id, const QString &message)
{
    MessageBox(&dialog, message, {}, MB_OK | MB_ICONWARNING);
    dialog.GotoDlgCtrl(id);
    return false;
}

} // namespace

void DataExchange::BindText(int id, QString &value)
{
    bindings_.push_back({[id, &value](Dialog &dialog) {
                             value = dialog.GetDlgItemText(id);
                             return true;
                         },
                         [id, &value](Dialog &dialog) { dialog.SetDlgItemText(id, value); }});
}

void DataExchange::BindInt(int id, int &value, int min, int max)
{
    bindings_.push_back({[id, &value, min, max](Dialog &dialog) {
                             bool ok = false;
                             const int number = dialog.GetDlgItemText(id).trimmed().toInt(&ok);
                             if (!ok)
                                 return Refuse(dialog, id, QStringLiteral("Please enter an integer."));
                             if (number < min || number > max) {
                                 return Refuse(
                                     dialog, id,
                                     QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max));
                             }
                             value = number;
                             return true;
                         },
                         [id, &value](Dialog &dialog) { dialog.SetDlgItemText(id, QString::number(value)); }});
}

void DataExchange::BindCheck(int id, int &value)
{
    bindings_.push_back({[id, &value](Dialog &dialog) {
                             value = dialog.IsDlgButtonChecked(id);
                             return true;
                         },
                         [id, &value](Dialog &dialog) { dialog.CheckDlgButton(id, value); }});
}

void DataExchange::BindCheck(int id, bool &value)
{
    bindings_.push_back({[id, &value](Dialog &dialog) {
                             value = dialog.IsDlgButtonChecked(id) != 0;
                             return true;
                         },
                         [id, &value](Dialog &dialog) { dialog.CheckDlgButton(id, value ? 1 : 0); }});
}

void DataExchange::BindIndex(int id, int &value)
{
    bindings_.push_back({[id, &value](Dialog &dialog) {
                             value = dialog.Items(id).GetCurSel();
                             return true;
                         },
                         [id, &value](Dialog &dialog) { dialog.Items(id).SetCurSel(value); }});
}

void DataExchange::BindRadio(int id, int &value)
{
    bindings_.push_back({[id, &value](Dialog &dialog) {
                             value = dialog.GetCheckedRadio(id);
                             return true;
                         },
                         [id, &value](Dialog &dialog) { dialog.SetCheckedRadio(id, value); }});
}

void DataExchange::BindCustom(std::function<bool()> read, std::function<void()> show)
{
    bindings_.push_back(
        {[read = std::move(read)](Dialog &) { return read(); }, [show = std::move(show)](Dialog &) { show(); }});
}

bool DataExchange::Exchange(Dialog &dialog, bool read) const
{
    for (const Binding &binding : bindings_) {
        if (!read) {
            binding.show(dialog);
            continue;
        }
        if (!binding.read(dialog))
            return false;
    }
    return true;
}

} // namespace win
