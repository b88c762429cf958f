// Commands and toolbar of the add-in.
#include "addin_toolbar.h"

#include "addin_disp.h"

namespace {

constexpr const wchar_t *kBarName = L"Tvaddin2002";
constexpr long kBarTypeToolbar = 23;
constexpr long kBitmap = 59;
constexpr long kDisabledFlags = 3;  // supported and enabled

struct command_row_t {
    const wchar_t *cr_name;
    const wchar_t *cr_button;
    const wchar_t *cr_tip;
    long cr_position;
};

constexpr command_row_t kCommands[] = {
    {L"Edit", L"Edit", L"Load file into Tolva", 1},
    {L"EditAll", L"Edit All", L"Load all files into Tolva and edit them.", 2},
};

// Full names the host gives our commands, and the one an older version
// made; all go when the toolbar is set up again.
constexpr const wchar_t *kOldCommands[] = {
    L"Tvaddin2002.Connect.Edit",
    L"Tvaddin2002.Connect.EditAll",
};
constexpr const wchar_t *kGoodbyeCommand = L"Tvaddin2002.Connect.Goodbye";

HRESULT failed_or(HRESULT hr)
{
    return FAILED(hr) ? hr : E_FAIL;
}

HRESULT bar_named(IDispatch *dte, const wchar_t *name, disp_ref &bar)
{
    disp_ref bars;
    HRESULT hr = disp_get_obj(dte, L"CommandBars", bars);
    if (hr != S_OK)
        return failed_or(hr);
    hr = disp_obj(bars.get(), L"Item", DISP_GET, disp_args().str(name), bar);
    return hr == S_OK ? S_OK : failed_or(hr);
}

HRESULT command_named(IDispatch *commands, const wchar_t *name, disp_ref &cmd)
{
    HRESULT hr = disp_obj(commands, L"Item", DISP_GET, disp_args().str(name).num(-1), cmd);
    return hr == S_OK ? S_OK : failed_or(hr);
}

} // namespace

HRESULT toolbar_add(IDispatch *dte, IDispatch *addin)
{
    disp_ref commands, bar;
    HRESULT hr = disp_get_obj(dte, L"Commands", commands);
    if (hr != S_OK)
        return failed_or(hr);
    hr = disp_obj(commands.get(), L"AddCommandBar", DISP_CALL,
                  disp_args().str(kBarName).num(kBarTypeToolbar).obj(nullptr).num(1), bar);
    if (hr != S_OK)
        return S_OK;  // most often the bar is there from an earlier setup
    for (const command_row_t &row : kCommands) {
        disp_ref cmd, control;
        hr = disp_obj(commands.get(), L"AddNamedCommand", DISP_CALL,
                      disp_args()
                          .obj(addin)
                          .str(row.cr_name)
                          .str(row.cr_button)
                          .str(row.cr_tip)
                          .flag(true)
                          .num(kBitmap)
                          .none()
                          .num(kDisabledFlags),
                      cmd);
        if (hr != S_OK)
            return failed_or(hr);
        hr = disp_obj(cmd.get(), L"AddControl", DISP_CALL,
                      disp_args().obj(bar.get()).num(row.cr_position), control);
        if (FAILED(hr))
            return hr;
    }
    return disp_put(bar.get(), L"Visible", disp_args().flag(true));
}

HRESULT toolbar_remove(IDispatch *dte)
{
    disp_ref commands, tools;
    HRESULT hr = disp_get_obj(dte, L"Commands", commands);
    if (hr != S_OK)
        return failed_or(hr);
    if (bar_named(dte, L"Tools", tools) == S_OK) {
        for (const wchar_t *name : kOldCommands) {
            disp_ref cmd;
            if (command_named(commands.get(), name, cmd) == S_OK)
                hr = disp_call(cmd.get(), L"Delete", disp_args());
        }
        disp_ref goodbye;
        if (command_named(commands.get(), kGoodbyeCommand, goodbye) == S_OK) {
            disp_ref control;
            disp_obj(goodbye.get(), L"AddControl", DISP_CALL,
                     disp_args().obj(tools.get()).num(1), control);
            hr = disp_call(goodbye.get(), L"Delete", disp_args());
        }
    }
    disp_ref bar;
    if (bar_named(dte, kBarName, bar) == S_OK) {
        hr = disp_call(commands.get(), L"RemoveCommandBar", disp_args().obj(bar.get()));
        disp_call(bar.get(), L"Delete", disp_args());
    }
    return hr;
}

void toolbar_show(IDispatch *dte)
{
    disp_ref bar;
    if (bar_named(dte, kBarName, bar) == S_OK)
        disp_put(bar.get(), L"Visible", disp_args().flag(true));
}
