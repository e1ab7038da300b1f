#include "editor/dialogs/schapack.h"

#include "editor/objects/comp_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/grid.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

CheckedArray<PrefixRec> g_PrefixList(0, 0);

namespace {

class PackWindow : public QDialog {
public:
    explicit PackWindow(SCHAPACK& form) : form_(form) {}
    void reject() override
    {
        RunEventProcedure([this] { form_.F_Cancel_Click(); });
    }

private:
    SCHAPACK& form_;
};

constexpr size_t kPrefixLength = 8;
constexpr int kPackCol = 1;
constexpr int kChangeCol = 2;
constexpr int kStartCol = 3;

long EntryCount()
{
    return g_PrefixList.UBound();
}

// The number of decimal digits of a whole number.
size_t Digits(double value)
{
    return CStr(static_cast<int64_t>(std::fabs(value))).size();
}

}  // namespace

SCHAPACK::SCHAPACK() : Form("SCHAPACK")
{
    KeyPreview = true;
}

std::unique_ptr<QWidget> SCHAPACK::CreateWindow()
{
    auto window = std::make_unique<PackWindow>(*this);
    window->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    window->setWindowTitle("Norvo32 - Automatic Packaging");
    window->setModal(false);
    auto* layout = new QVBoxLayout(window.get());
    auto* frame = new QGroupBox("Name prefixes found: ", window.get());
    auto* frameLayout = new QVBoxLayout(frame);
    prefix_ = new winsys::NorvoGrid(1, 0, frame);
    frameLayout->addWidget(prefix_);
    layout->addWidget(frame, 1);
    inputF_ = new QGroupBox(window.get());
    auto* inputLayout = new QHBoxLayout(inputF_);
    input_ = new TextBox(inputF_);
    inputLayout->addWidget(input_);
    inputF_->setVisible(false);
    layout->addWidget(inputF_);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch();
    accept_ = new CommandButton("Execute", window.get());
    cancel_ = new CommandButton("Cancel", window.get());
    buttons->addWidget(accept_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    window->resize(480, 300);

    AddControl(frame, "Frame1");
    AddControl(prefix_, "F_Prefix");
    AddControl(inputF_, "F_InputF");
    AddControl(input_, "F_Input");
    AddControl(accept_, "F_Accept");
    AddControl(cancel_, "F_Cancel");
    prefix_->Click.Connect([this] { F_Prefix_Click(); });
    input_->KeyPress.Connect([this](int& key) { F_Input_KeyPress(key); });
    accept_->Click.Connect([this] { F_Accept_Click(); });
    cancel_->Click.Connect([this] { F_Cancel_Click(); });
    return window;
}

void SCHAPACK::ForgetControls()
{
    prefix_ = nullptr;
    inputF_ = nullptr;
    input_ = nullptr;
    accept_ = nullptr;
    cancel_ = nullptr;
}

winsys::NorvoGrid* SCHAPACK::F_Prefix() { EnsureLoaded(); return prefix_; }
QGroupBox* SCHAPACK::F_InputF() { EnsureLoaded(); return inputF_; }
TextBox* SCHAPACK::F_Input() { EnsureLoaded(); return input_; }
CommandButton* SCHAPACK::F_Accept() { EnsureLoaded(); return accept_; }
CommandButton* SCHAPACK::F_Cancel() { EnsureLoaded(); return cancel_; }

void SCHAPACK::Form_Load()
{
    LocalizeForm(*this);
    SetupPrefixGrid();
    LoadPrefixList();
    g_DlgOpening = false;
}

void SCHAPACK::Form_Activate()
{
    if (!g_DlgOpening) return;
    g_DlgOpening = false;
    LoadPrefixList();
}

void SCHAPACK::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == winsys::vk::F1 && Shift == winsys::shiftmask::Ctrl) ShowFormHelp();
}

void SCHAPACK::SetupPrefixGrid()
{
    prefix_->SetCols(4);
    prefix_->SetRows(2);
    const int widths[] = {1500, 900, 1500, 1500};
    const char* const headers[][2] = {
        {"Prefix in Part:", "13165"}, {"Pack: ", "13152"}, {"Change to:", "1356"}, {"Start Number:", "13200"}};
    for (int c = 0; c < 4; ++c) {
        prefix_->SetColWidth(c, widths[c]);
        prefix_->SetTextMatrix(0, c, GetMsgText(headers[c][0], headers[c][1]));
        prefix_->SetFixedAlignment(c, 4);
        prefix_->SetColAlignment(c, c == kStartCol ? 7 : 1);
    }
}

void SCHAPACK::LoadPrefixList()
{
    // The names of the design's parts, in the kernel's order; the walk ends
    // only at 0. What is no part of the design's own gets no row and the
    // walk goes on: a negative id (a library temporary), a part that
    // cannot be read, a name longer than a row holds (the packaging run
    // could never match it).
    // Each name with the reference prefix of its part (U for a 74HC00),
    // from which the new layout components are named.
    std::vector<std::pair<std::string, std::string>> found;
    const int32_t map = DB_DeviceMap();
    int32_t position = OM_GetFirst(map);
    while (const int32_t device = OM_SearchMask(map, &position, 0, 0)) {
        if (device < 0) continue;
        DeviceRec rec{};
        if (D_ReadDevice(device, &rec) < 1) continue;
        const std::string name = Trim(PtrToStr(rec.Name));
        if (name.empty() || name.size() > kPrefixLength) continue;
        const bool listed = std::any_of(found.begin(), found.end(), [&](const auto& f) { return f.first == name; });
        if (!listed) found.emplace_back(name, Trim(PtrToStr(rec.Prefix)));
    }
    // Rows of parts still in the design keep the user's choices; new ones
    // are added with the initial values.
    std::vector<PrefixRec> kept;
    for (long i = 1; i <= EntryCount(); ++i)
        if (std::any_of(found.begin(), found.end(),
                        [&](const auto& f) { return f.first == Trim(g_PrefixList(i).Prefix); }))
            kept.push_back(g_PrefixList(i));
    for (const auto& [name, prefix] : found) {
        const bool known = std::any_of(kept.begin(), kept.end(),
                                       [&](const PrefixRec& r) { return Trim(r.Prefix) == name; });
        if (known) continue;
        PrefixRec rec;
        rec.Prefix = FixedText(name, kPrefixLength);
        // New parts are named as by hand: the part's prefix and a number
        // (U1, U2 ...). A part without a prefix names them after itself.
        rec.ChangeTo = FixedText(prefix.empty() ? name : prefix, kPrefixLength);
        kept.push_back(rec);
    }
    g_PrefixList.Redim(0, static_cast<long>(kept.size()));
    for (size_t i = 0; i < kept.size(); ++i) g_PrefixList(static_cast<long>(i) + 1) = kept[i];

    prefix_->SetRows(std::max<int>(2, static_cast<int>(kept.size()) + 1));
    for (int c = 0; c < 4; ++c) prefix_->SetTextMatrix(1, c, "");
    for (long row = 1; row <= EntryCount(); ++row) ShowPrefixRow(static_cast<int>(row));
    prefix_->PostFillA(0);
}

void SCHAPACK::ShowPrefixRow(int row)
{
    const PrefixRec& rec = g_PrefixList(row);
    prefix_->SetTextMatrix(row, 0, DisplayText(Trim(rec.Prefix)));
    prefix_->SetTextMatrix(row, kPackCol, YesNoText(rec.Pack));
    prefix_->SetTextMatrix(row, kChangeCol, DisplayText(Trim(rec.ChangeTo)));
    prefix_->SetTextMatrix(row, kStartCol, Str(rec.StartNumber));
}

void SCHAPACK::F_Prefix_Click()
{
    m_Row = prefix_->Row();
    m_Col = prefix_->Col();
    if (m_Row > EntryCount()) {
        winsys::Ui().Beep();
        return;
    }
    if (m_Row == 0) return;
    PrefixRec& rec = g_PrefixList(m_Row);
    if (m_Col == kPackCol) {
        rec.Pack = !rec.Pack;
        ShowPrefixRow(m_Row);
    } else if ((m_Col == kChangeCol || m_Col == kStartCol) && rec.Pack) {
        inputF_->setTitle(QString::fromLatin1(
            (m_Col == kChangeCol ? GetMsgText("Change to Prefix: ", "1343") : GetMsgText("Start Number: ", "13200"))
                .c_str()));
        inputF_->setVisible(true);
        input_->SetText("");
        input_->setFocus(Qt::OtherFocusReason);
        prefix_->SetAllowInput(false);
        prefix_->setEnabled(false);
    }
    prefix_->SetCol(m_Col);
}

void SCHAPACK::F_Input_KeyPress(int& KeyAscii)
{
    if (KeyAscii != 13) return;
    KeyAscii = 0;
    EditPrefixCell();
}

void SCHAPACK::EditPrefixCell()
{
    const std::string text = Trim(input_->Text());
    if (!text.empty() && m_Row >= 1 && m_Row <= EntryCount()) {
        PrefixRec& rec = g_PrefixList(m_Row);
        if (m_Col == kChangeCol) {
            if (text.size() <= 5 && text.size() + Digits(rec.StartNumber) <= 15)
                rec.ChangeTo = FixedText(EnteredText(text), kPrefixLength);
            else
                winsys::Ui().Beep();
        } else if (m_Col == kStartCol) {
            const double value = std::fabs(ParseNum(text));
            const double number = !std::isfinite(value) || value > kCoordLimit ? 1.0 : std::nearbyint(value);
            if (Digits(number) <= 15 - kPrefixLength)
                rec.StartNumber = number;
            else
                winsys::Ui().Beep();
        }
        ShowPrefixRow(m_Row);
    }
    CloseEditor();
}

void SCHAPACK::CloseEditor()
{
    inputF_->setVisible(false);
    prefix_->setEnabled(true);
    prefix_->SetAllowInput(true);
}

void SCHAPACK::F_Accept_Click()
{
    g_DlgAccepted = true;
    Hide();
}

void SCHAPACK::F_Cancel_Click()
{
    g_DlgAccepted = false;
    Hide();
}
