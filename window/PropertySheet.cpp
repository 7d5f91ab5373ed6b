#include "PropertySheet.h"

#include "ModalRun.h"

namespace {

// The callback has no context of its own: the sheet being made on this thread.
thread_local CPropertySheet* t_creating = nullptr;

// The start of a DLGTEMPLATEEX; its signature word is 0xFFFF.
struct DialogTemplateEx {
    WORD dlgVer;
    WORD signature;
    DWORD helpID;
    DWORD exStyle;
    DWORD style;
};

}  // namespace

CPropertySheet::CPropertySheet(const wchar_t* caption, DWORD flags, UINT startPage) : m_header{sizeof m_header}
{
    m_header.dwFlags = flags | PSH_USECALLBACK;
    m_header.hInstance = GetModuleHandleW(nullptr);
    m_header.pszCaption = caption;
    m_header.nStartPage = startPage;
    m_header.pfnCallback = &CPropertySheet::Callback;
}

CPropertySheet::~CPropertySheet()
{
    // Pages never handed to a sheet window are still ours to free.
    if (!m_hwnd) {
        for (HPROPSHEETPAGE page : m_pages)
            DestroyPropertySheetPage(page);
    }
}

void CPropertySheet::AddPage(CPropertyPage& page)
{
    if (HPROPSHEETPAGE handle = page.CreatePage())
        m_pages.push_back(handle);
}

void CPropertySheet::Prepare(HWND parent)
{
    m_header.hwndParent = parent;
    m_header.nPages = static_cast<UINT>(m_pages.size());
    m_header.phpage = m_pages.data();
    t_creating = this;
}

HWND CPropertySheet::Create(HWND parent)
{
    m_header.dwFlags |= PSH_MODELESS;
    Prepare(parent);
    const HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&m_header));
    t_creating = nullptr;
    // The sheet owns the pages now and frees them with its window.
    if (sheet)
        m_pages.clear();
    return sheet;
}

INT_PTR CPropertySheet::DoModal(HWND parent)
{
    m_header.dwFlags &= ~PSH_MODELESS;
    Prepare(parent);
    CModalRun run(parent);
    m_modalRun = &run;
    const INT_PTR result = PropertySheetW(&m_header);
    m_modalRun = nullptr;
    t_creating = nullptr;
    m_pages.clear();
    return result;
}

HWND CPropertySheet::GetCurrentPage() const
{
    return m_hwnd ? reinterpret_cast<HWND>(Send(PSM_GETCURRENTPAGEHWND)) : nullptr;
}

int CPropertySheet::GetCurrentIndex() const
{
    if (!m_hwnd)
        return static_cast<int>(m_header.nStartPage);
    return static_cast<int>(SendMessageW(GetTabControl(), TCM_GETCURSEL, 0, 0));
}

bool CPropertySheet::SetCurrentIndex(int index)
{
    if (!m_hwnd) {
        m_header.nStartPage = static_cast<UINT>(index);
        return true;
    }
    return Send(PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

HWND CPropertySheet::GetTabControl() const
{
    return m_hwnd ? reinterpret_cast<HWND>(Send(PSM_GETTABCONTROL)) : nullptr;
}

int CPropertySheet::GetTabCount() const
{
    if (!m_hwnd)
        return static_cast<int>(m_pages.size());
    return static_cast<int>(SendMessageW(GetTabControl(), TCM_GETITEMCOUNT, 0, 0));
}

bool CPropertySheet::IsDialogMessage(MSG* message) const
{
    return m_hwnd && Send(PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(message)) != 0;
}

void CPropertySheet::FocusCurrentPage()
{
    if (!m_hwnd)
        return;
    HWND target = nullptr;
    if (const HWND page = GetCurrentPage()) {
        const HWND first = GetNextDlgTabItem(page, nullptr, FALSE);
        PSHNOTIFY query{{m_hwnd, 0, PSN_QUERYINITIALFOCUS}, reinterpret_cast<LPARAM>(first)};
        target = reinterpret_cast<HWND>(SendMessageW(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&query)));
        if (!IsChild(page, target) || !CanTakeFocus(target))
            target = first;
    }
    // A page with nothing to focus yet: the tabs, never a hidden page.
    if (!CanTakeFocus(target))
        target = GetTabControl();
    // Through the dialog manager, so that a push button becomes the default
    // one; but a text control keeps its selection, which the dialog manager
    // would make all of the text, for the next key to replace.
    DWORD start = 0;
    DWORD end = 0;
    const bool text = (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
    if (text)
        SendMessageW(target, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    if (text)
        SendMessageW(target, EM_SETSEL, start, end);
}

bool CPropertySheet::CanTakeFocus(HWND window) const
{
    // By the style bits: before the frame is shown nothing is visible yet.
    for (HWND w = window; w && w != m_hwnd; w = GetParent(w)) {
        const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED))
            return false;
    }
    return window && IsChild(m_hwnd, window);
}

void CPropertySheet::OnPageMade(HWND page)
{
    if (t_creating && !t_creating->m_hwnd)
        t_creating->Initialize(GetParent(page));
}

void CPropertySheet::Initialize(HWND sheet)
{
    if (m_hwnd)
        return;
    Subclass(sheet);
    OnInitialized();
}

DWORD* CPropertySheet::TemplateStyle(void* dialogTemplate)
{
    auto* extended = static_cast<DialogTemplateEx*>(dialogTemplate);
    if (extended->signature == 0xFFFF)
        return &extended->style;
    return &static_cast<DLGTEMPLATE*>(dialogTemplate)->style;
}

int CALLBACK CPropertySheet::Callback(HWND sheet, UINT message, LPARAM lParam)
{
    CPropertySheet* self = t_creating;
    if (!self)
        return 0;
    switch (message) {
    case PSCB_PRECREATE:
        self->OnPreCreate(reinterpret_cast<void*>(lParam));
        break;
    case PSCB_INITIALIZED:
        self->Initialize(sheet);
        break;
    }
    return 0;
}
