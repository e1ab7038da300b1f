// SCHMAIN, the main window: menus, settings panel, tool panels, the canvas
// ViewPicture, the viewport F_PICView, the scroll bars and the status row.
//
// Declared once here with every control and every form-level value, grouped
// by the subsystem that owns them. Each event and public procedure is
// defined in the folder of the subsystem that owns it, in a file named
// schmain_<topic>.cpp; the event procedures whose issues have not come yet
// are empty and wait in editor/shell/schmain_events.cpp, grouped the same
// way, until their issue moves them home.
//
// The controls exist while the window is loaded (the pointers are null
// otherwise); ResetFormState empties every form-level value.
#pragma once

#include "editor/shell/control_array.h"
#include "editor/shell/event.h"
#include "editor/shell/forms.h"

#include <QPoint>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Canvas;
struct NetRec;
struct BlockMovePlan;
enum class Prep;
class CheckBox;
class ComboBox;
class CommandButton;
class CommonDialog;
class Label;
class MenuItem;
class Panel;
class PictureClip;
class QMainWindow;
class QWidget;
class RibbonButton;
class ScrollBar;
class TextBox;

// A point with fractional coordinates.
struct DPoint {
    double X = 0;
    double Y = 0;
};

// ============================================================================
// Subsystem 1: editor shell (lifecycle, host link, layout)
// ============================================================================
struct SchmainShellControls {
    // Captions of the settings-panel fields (zoom, snap, angle, line width,
    // text size, page); only scaled horizontally by the layout.
    Label* Label1 = nullptr;
    Label* Label2 = nullptr;
    Label* Label3 = nullptr;
    Label* Label4 = nullptr;
    Label* Label5 = nullptr;
    Label* Label6 = nullptr;
};

struct SchmainShellState {
    // True when the start-up was abandoned before the drawing resources
    // existed; the unload then releases none of them.
    bool ExitAnyWay = false;
    // The window's outer size as designed, in twips; it is never smaller.
    // (Also called the design height and width.)
    double m_MinHeight = 0;
    double m_MinWidth = 0;
    int32_t m_ShowScrollBars = 0;     // 0/1, menu M_Sbars
    int32_t m_ShowToolbar = 0;        // 0/1, function buttons, menu M_Tbar (alias: toolbar flag)
    int32_t m_ShowSettingsPanel = 0;  // 0/1, F_MenuPan, menu M_Tpan (alias: tool-panel flag)
    bool m_RestorePalette = false;    // the shortcut palette was hidden by a minimise
    int32_t m_PicViewLeft = 0;        // left of F_PICView after the last layout
    int32_t m_Loading = 0;            // settings being loaded (alias: m_LoadingSettings)
    // The page's view record as the "UP" command copies it: origin X,
    // origin Y and two further values.
    std::array<int32_t, 4> m_ViewRecord{};
    bool m_FullRedraw = false;  // "UP": the next paint redraws the whole page
};

// ============================================================================
// Subsystem 3: view and canvas (canvas, viewport, settings panel, tool
// panels, display menus)
// ============================================================================
struct SchmainViewControls {
    // Canvas, viewport, scroll bars.
    Canvas* ViewPicture = nullptr;  // the editing canvas
    Canvas* F_PICView = nullptr;    // the page overview; hidden until M_ViewPort
    ScrollBar* ViewHScroll = nullptr;
    ScrollBar* ViewVScroll = nullptr;

    // Settings panel across the top.
    Panel* F_MenuPan = nullptr;
    ComboBox* ZoomCombo = nullptr;
    ControlArray<CommandButton> cmdMagnify;  // 0 zoom in, 1 zoom out
    CommandButton* RedrawBtn = nullptr;
    ComboBox* ZoomMode = nullptr;  // Current, Center, Page, Component
    CheckBox* GridCheck3D = nullptr;
    ComboBox* F_Tsizes = nullptr;            // line width of new items
    ControlArray<ComboBox> F_GridSnap;       // 0 grid, 1 snap, 2 angle
    ComboBox* F_Tsize = nullptr;             // text size of new texts
    ComboBox* F_Pages = nullptr;             // the page list

    // Status row (F_MsgLine, the third field, is subsystem 4's).
    Label* F_Xpos = nullptr;
    Label* F_Ypos = nullptr;

    // Tool panels.
    Panel* F_FSIPan = nullptr;            // function buttons (the toolbar)
    Panel* F_OSTPan = nullptr;            // option buttons
    ControlArray<RibbonButton> F_FSI;     // 0..10
    ControlArray<RibbonButton> F_OST;     // 0..10; 10 = step now / cancel

    // Hidden command fields written by other windows.
    TextBox* F_FrmCmd = nullptr;  // "C19" net name dialog, "C6" packaging dialog
    TextBox* F_Bitm = nullptr;    // "B": blink the item (bitmap / item editor)
    TextBox* F_Short = nullptr;   // "+n": mode n from the shortcut palette

    // Colour menu.
    MenuItem* M_Color = nullptr;
    MenuItem* M_CcolorMenu = nullptr;  // submenu holding M_Ccolor (unnamed)
    ControlArray<MenuItem> M_Ccolor;   // 32..: category colours
    MenuItem* M_ScolorMenu = nullptr;  // submenu holding M_Scolor (unnamed)
    ControlArray<MenuItem> M_Scolor;   // 0..31: palette colours
    // Style menu.
    MenuItem* M_Style = nullptr;
    ControlArray<MenuItem> M_DrawStyle;  // 0..4 line styles
    // Mode menu items (the menu is M_Edit, subsystem 4).
    ControlArray<MenuItem> M_FSI;  // 1..10
    // Options menu.
    MenuItem* M_Options = nullptr;  // unnamed
    MenuItem* M_Short = nullptr;
    MenuItem* M_Tbar = nullptr;
    MenuItem* M_Sbars = nullptr;
    MenuItem* M_Tpan = nullptr;
    MenuItem* M_ViewPort = nullptr;
    MenuItem* M_InstName = nullptr;
    MenuItem* M_SRatsnest = nullptr;
    MenuItem* M_NRatsnest = nullptr;
    ControlArray<MenuItem> M_TcModeSLN;  // index = bit value: 1, 2
    MenuItem* M_Coords = nullptr;
    ControlArray<MenuItem> M_XYMeasure;  // 0 centre, 1 format datum, 2 reference point
    // Database menu.
    MenuItem* M_Info = nullptr;  // unnamed
    ControlArray<MenuItem> M_Imap;  // 1..6
    MenuItem* M_HierStack = nullptr;
    MenuItem* M_HierStructure = nullptr;
    // View menu.
    MenuItem* M_View = nullptr;  // unnamed ("the main window's view menu")
    MenuItem* M_Nodes = nullptr;
    MenuItem* M_Ratsnest = nullptr;
    MenuItem* M_Pnotes = nullptr;
    MenuItem* M_Dnotes = nullptr;
    MenuItem* M_Bitmaps = nullptr;
    MenuItem* M_Entry = nullptr;
    MenuItem* M_Mono = nullptr;
    // Unit menu.
    MenuItem* M_Unit = nullptr;
    MenuItem* M_Inches = nullptr;
    MenuItem* M_Mm = nullptr;
    // Help menu.
    MenuItem* M_HelpMenu = nullptr;  // unnamed
    MenuItem* M_Help = nullptr;
};

struct SchmainViewState {
    int32_t m_CanvasDCLevel = 0;  // open levels of the canvas drawing context
    int32_t m_ViewOrgX = 0;       // view origin (centre of the canvas); Y stored negated
    int32_t m_ViewOrgY = 0;
    int32_t m_ViewSize = 0;       // zoom: database units per pixel
    int32_t m_OverlayMF = 0;      // XOR overlay metafile (alias: first preview metafile)
    int32_t m_HighlightMF = 0;    // highlight metafile (alias: second preview metafile)
    int32_t m_HighlightKind = 0;  // 1 net of a branch, 2 component, 3 masked branches
    int32_t m_HighlightOnCanvas = 0;
    int32_t m_HighlightInView = 0;
    int32_t m_ViewPortOn = 0;     // 0/1
    int32_t m_ViewDCLevel = 0;    // open levels of the viewport's drawing context
    int32_t m_RedrawBusy = 0;     // a paint or long canvas work runs (alias: paint-in-progress)
    int32_t m_CanvasPaints = 0;   // paint procedures of the two canvases running now (nested ones counted)
    int32_t m_ResizePending = 0;  // resized, not repainted: pointer events ignored
    int32_t m_ZoomMode = 0;
    int32_t m_ZoomTyped = 0;
    int32_t m_ZoomEventsOff = 0;
    int16_t m_ScrollSync = 0;     // scroll bars may move the view
    int32_t m_ZoomViewport = 0;
    int32_t m_ZoomStepPaint = 0;
    int32_t m_VPOrgX = 0;  // viewport origin, Y negated
    int32_t m_VPOrgY = 0;
    int32_t m_VPSize = 0;
    int32_t m_VPTopLeftX = 0;
    int32_t m_VPTopLeftY = 0;
    int32_t m_VPBottomRightX = 0;
    int32_t m_VPBottomRightY = 0;
    int32_t m_VPCursorX = 0;
    int32_t m_VPCursorY = 0;
    int32_t m_ViewCrossMF = 0;
    int32_t m_VPMode = 0;
    // What the canvas picture was last painted for (each paint sets it; a
    // paint turned away after clearing the canvas sets a size of 0): the
    // view, the canvas size, the level and page.
    int32_t m_PaintedOrgX = 0;
    int32_t m_PaintedOrgY = 0;
    int32_t m_PaintedSize = 0;
    int32_t m_PaintedWidth = 0;
    int32_t m_PaintedHeight = 0;
    int32_t m_PaintedHier = 0;
    int32_t m_PaintedPage = 0;
    // The wires of the masked-branch pass (g_MaskedBranchIds) the paint drew.
    std::vector<int32_t> m_PaintedMasked;
    // The repaint put-backs left for once the action has returned: 0 none
    // (or a paint has run since), 1 the page area below (nothing more when
    // none is set), 2 the whole canvas.
    int32_t m_PutBackRepaint = 0;
    bool m_PutBackAreaSet = false;
    int32_t m_PutBackArea[4] = {};  // left, bottom, right, top (database units)
    int32_t m_DrawingViewport = 0;
    int32_t m_NetMaskAll = 0;
    int32_t m_ShowDistance = 0;
    int32_t m_FullCross = 0;
    int32_t m_NextMarker = 0;   // 0..2
    int32_t m_PointMethod = 0;  // 4..10
    int32_t m_PointPending = 0;
    int32_t m_GridSnapEdited = 0;
    int32_t m_LineWidthEdited = 0;
    int32_t m_HoverMsg = 0;
    // The last routing run's result (the router's last text), kept on the
    // message line in routing mode: the pointer over empty canvas, a repaint
    // and the end of the pair or block command show it again. A new command,
    // a new run, a delete and leaving routing mode drop or replace it.
    std::string m_RouteResult;
    int32_t m_ToolHelpOn = 0;  // alias: m_FsiHelpOn, function-button flag
    int32_t m_PageTyped = 0;
    int32_t m_RedrawSkipOnce = 0;  // the redraw button's next click does nothing
    // Item and block geometry of the running command.
    int32_t m_BaseX = 0;  // base point / pivot (aliases: m_BlockX/Y, m_BlockBase)
    int32_t m_BaseY = 0;
    int32_t m_BoxW = 0;  // signed box size (alias: m_BlockWidth/Height)
    int32_t m_BoxH = 0;
    int32_t m_OffsetX = 0;  // displacement (alias: m_BlockMove)
    int32_t m_OffsetY = 0;
    int32_t m_BoxOrgX = 0;  // box corner as placed (alias: m_BlockCornerX/Y)
    int32_t m_BoxOrgY = 0;
    int32_t m_PlaceX = 0;  // current placement point (alias: m_BlockDropX/Y)
    int32_t m_PlaceY = 0;
    int32_t m_MirrorX = 0;  // -1 = mirror
    int32_t m_MirrorY = 0;
    double m_Rotation = 0;  // degrees (aliases: m_BlockRotation, m_BlockAngle)
    double m_BoxOrgAngle = 0;
    double m_Scale = 1.0;  // 1.0 = no scaling
    int32_t m_HandleX = 0;
    int32_t m_HandleY = 0;
    int32_t m_ItemCentreX = 0;
    int32_t m_ItemCentreY = 0;
    int32_t m_HandleOffX = 0;
    int32_t m_HandleOffY = 0;
    double m_HandleDist = 0;
    double m_HandleAngle = 0;
    int32_t m_HandleIndex = 0;  // alias: m_PickedHandle
    int32_t m_FixedX = 0;
    int32_t m_FixedY = 0;
    DPoint m_ItemPt0;
    DPoint m_ItemPt1;
    DPoint m_ItemPt2;
    DPoint m_ItemPt3;
    std::array<int32_t, 4> m_FramePt{};  // frame rectangle (alias: m_ItemFrame)
};

// ============================================================================
// Subsystem 4: command dispatch and canvas interaction
// ============================================================================
struct SchmainInteractionControls {
    Label* F_MsgLine = nullptr;  // the message line
    Label* F_Busy = nullptr;     // busy indicator at the foot of the toolbar
    PictureClip* P_FSI = nullptr;     // pictures of the function buttons
    ControlArray<PictureClip> P_OST;  // 1..11: option pictures per mode
    MenuItem* M_Edit = nullptr;       // the mode menu holding M_FSI
};

struct SchmainInteractionState {
    int32_t m_PreviewPending = 0;  // aliases: m_TrackPointer, m_CmdCursorOn, command preview flag
    int32_t m_AngleBasePending = 0;
    int32_t m_StepRequest = 0;  // aliases: m_ActionPending, m_CancelRequested, m_Option10Latched
    int32_t m_JunctionRequest = 0;  // alias: m_WireFinish
    int32_t m_CursorX = 0;  // last pointer point, database units
    int32_t m_CursorY = 0;
    double m_MouseX = 0;  // last pointer point, canvas pixels
    double m_MouseY = 0;
    int32_t m_PreviewDbX = 0;
    int32_t m_PreviewDbY = 0;
    int32_t m_NetByName = 0;  // alias: m_NetPicked
    int32_t m_SnapLastX = 0;  // the point and angle SnapPoint and SnapAngle keep
    int32_t m_SnapLastY = 0;
    double m_SnapLastAngle = 0;
    std::string m_ShortcutKeys;  // letters typed after "*"
    int32_t m_ShortcutArmed = 0;
    bool m_KeyBusy = false;  // a Shift+letter action runs
    int32_t m_BlockViaTempFile = 0;  // alias: m_BlockCopy
    std::string m_BlockFilePath;     // alias: m_BlockFile
    int32_t m_WireEndKind = 0;       // 0 wire, -1 bus
    int32_t m_CoverDist = 0;
    int32_t m_WireHighlightOn = 0;
    // The wire previews' net message as last shown: the wire's owner, its
    // kind (1 bus), the owner's name and the caption it gave the line.
    int32_t m_WireMsgOwner = 0;
    int32_t m_WireMsgBus = 0;
    std::string m_WireMsgName;
    std::string m_WireMsgCaption;
    int32_t m_CmdStep = 0;   // alias: m_VectorKind
    int32_t m_CmdArmed = 0;  // alias: m_VectorOn
    int32_t m_SplitBranch = 0;
    int32_t m_LastBoxOrgX = 0;
    int32_t m_LastBoxOrgY = 0;
    int32_t m_BoxDiagonal = 0;  // aliases: m_BlockRadius, m_BlockReach
    int32_t m_BlockOrigPage = 0;  // alias: m_BlockSrcPage
    std::string m_BlockOrigPageName;
    int32_t m_TextBlockX = 0;
    int32_t m_TextBlockY = 0;
    double m_TextBlockW = 0;
    double m_TextBlockH = 0;
    double m_TextBlockAngle = 0;
    int32_t m_VecStartX = 0;  // alias: m_VectorBase
    int32_t m_VecStartY = 0;
    int32_t m_VecEndX = 0;  // alias: m_VectorEnd
    int32_t m_VecEndY = 0;
};

// ============================================================================
// Subsystem 5: edit operations (the question popup)
// ============================================================================
struct SchmainEditingControls {
    MenuItem* M_Conf = nullptr;   // popup, not in the menu bar
    MenuItem* M_Query = nullptr;  // shows the question
    MenuItem* M_Yes = nullptr;
    MenuItem* M_No = nullptr;
};

struct SchmainEditingState {
    bool m_WireIsBus = false;
    int32_t m_SplitPending = 0;  // pending split, cleared when the split ends
    // First pick of a bus member exchange: bus, member index, net, branch.
    std::array<int32_t, 4> m_PickRec{};
    int32_t m_SplitGroup = 0;  // group chosen for the connectivity split, 0 = none
};

// ============================================================================
// Subsystem 8: placement and routing front ends
// ============================================================================
struct SchmainAutomationControls {
    MenuItem* M_Auto = nullptr;
    MenuItem* M_Apack = nullptr;
    MenuItem* M_Aplace = nullptr;
    MenuItem* M_AutPlcGrdPrefix = nullptr;
    MenuItem* M_AutPlcOrntPrefix = nullptr;
    MenuItem* M_AutPlcGlbPara = nullptr;
    MenuItem* M_AutPlcExecute = nullptr;
    MenuItem* M_Aroute = nullptr;
    MenuItem* M_APlcPtrns = nullptr;  // placement cells menu
    ControlArray<MenuItem> M_PlcCell;  // 1..4
    MenuItem* M_PlcCellOff = nullptr;
};

struct SchmainAutomationState {
    int32_t m_ModeBeforeRouting = 0;
    int32_t m_PlcCellMenu = 0;  // index of the checked M_PlcCell, 99 none (alias: m_CellDisplay)
    int32_t m_PlcCellShown = 0;
    int32_t m_RelocPattern = 0;  // alias: m_PlacePatternNo
    bool m_PlcOverlayOn = false;
    int32_t m_CmdStartX = 0;  // first corner of the routing box
    int32_t m_CmdStartY = 0;
    // Placement cells and zones: the frame rectangle of a pattern move (217),
    // its index in the grid symbol and the corner it is dragged to.
    int32_t m_PatMoveIdx = 0;
    int32_t m_PatMoveX = 0;
    int32_t m_PatMoveY = 0;
};

// ============================================================================
// Subsystem 9: pages, files and printing
// ============================================================================
struct SchmainDocumentControls {
    MenuItem* M_File = nullptr;
    MenuItem* M_Tsave = nullptr;
    MenuItem* M_Tload = nullptr;
    MenuItem* M_SaveDnotes = nullptr;
    MenuItem* M_LoadDnotes = nullptr;
    MenuItem* M_SavePnotes = nullptr;
    MenuItem* M_LoadPnotes = nullptr;
    MenuItem* M_Scopy = nullptr;
    MenuItem* M_Exit = nullptr;
    MenuItem* M_Page = nullptr;
    MenuItem* M_PageNew = nullptr;
    MenuItem* M_PageClean = nullptr;
    MenuItem* M_PageRen = nullptr;
    MenuItem* M_PageDel = nullptr;
    MenuItem* M_Print = nullptr;
    MenuItem* M_Psetup = nullptr;
    MenuItem* M_PrintSchd = nullptr;
    MenuItem* M_PageO = nullptr;  // page outline; sits in the view menu
    CommonDialog* F_Psetup = nullptr;  // printer set-up
    CommonDialog* F_ComDlg = nullptr;  // open and save dialogs (unnamed)
};

struct SchmainDocumentState {
    std::string m_DesNotesPath;   // last path chosen for design notes
    std::string m_PageNotesPath;  // last path chosen for page notes
};

class SCHMAIN : public Form,
                public SchmainShellControls,
                public SchmainShellState,
                public SchmainViewControls,
                public SchmainViewState,
                public SchmainInteractionControls,
                public SchmainInteractionState,
                public SchmainEditingControls,
                public SchmainEditingState,
                public SchmainAutomationControls,
                public SchmainAutomationState,
                public SchmainDocumentControls,
                public SchmainDocumentState {
public:
    SCHMAIN();
    ~SCHMAIN() override;

    // Sets every form-level value to its empty value; ExitAnyWay False.
    void ResetFormState();

    // ---- Subsystem 1: shell --------------------------------------------------
    // Raised for every command the editor sends to the host and the suite.
    Event<std::string&, std::string&> NotifyClass;

    void AP_SendCmdAll(std::string& command);
    void AP_Shell(std::string& application, int16_t& mode);
    void AP_SendCmd(std::string& application, std::string& command);
    void AP_ExeCmd(std::string& sCommand);
    void ShutDown();
    // Reads the settings and the kernel's tables again and rebuilds what
    // depends on them (editor/shell/schmain_settings.cpp). False when no
    // design is open: the window is then closing and nothing was loaded.
    bool LoadSettings();
    // "UP": the settings again, then the page's stored view (or a plain
    // repaint when the page has none) and the viewport.
    void ReloadAfterUpdate();
    // The page switch of "FS" and "BS": true when `page` is current and the
    // command goes on.
    bool SwitchToPage(int32_t page);

    // ---- Subsystem 3: view and canvas ---------------------------------------
    // Drawing contexts, overlay and highlight (editor/view/schmain_viewdc.cpp).
    void OpenCanvasDC();
    void OpenCanvasDCAtOrigin();
    void CloseCanvasDC();
    void OpenViewDC();
    void CloseViewDC();
    void PlayMetafile(int32_t& hdc, int32_t& metafile);
    void PlayOverlay();
    void EraseOverlay();
    void ReplaceOverlay(int32_t metafile);
    void ClearOverlay();
    void DropOverlay();
    void HighlightComp(int32_t& kind);
    void ToggleHighlight();
    void EraseHighlight();
    // Paint (editor/view/schmain_paint.cpp).
    void DrawMarkers();
    void RefreshCanvas();
    void ReturnToScreen();
    // Zoom and scroll (editor/view/schmain_zoom.cpp).
    void ShowZoomValue();
    void FillZoomList();
    void ZoomStep(int32_t& direction);
    void ZoomToArea();
    void CalcCanvasArea();
    void CalcViewArea();
    void SetScrollBars(int32_t& x, int32_t& y);
    void FitViewToPage();
    void ViewPointToLogical();
    // Drawing aids (editor/view/schmain_drawaids.cpp).
    int32_t DrawViewGrid();
    void CheckGridPrecision();
    void FillGridSnapLists();
    void FillTextSizeValues();
    // The page list of the settings panel (editor/view/schmain_pages.cpp).
    void FillPageList();
    // After the design went back: the page and level shown, their names,
    // the page list, the frame and the view follow the design as it is; the
    // canvas's repaint is noted for RepaintPutBack (the part of the page the
    // put-back restored when the page, level and frame are the ones shown).
    void ShowDesignAsPutBack();
    // The repaint the put-backs of an action left, once it has returned:
    // only the part of the page they restored when the canvas still shows
    // the page and view it was painted for, else the whole canvas; nothing
    // when a paint of the whole canvas has run since.
    void RepaintPutBack();
    // Paints the canvas anew within a page box (database units; null: an
    // empty box) as a repaint of the whole canvas would show it there,
    // overlay and highlight included; false, with nothing done, when it
    // cannot (the caller repaints the whole canvas).
    bool RepaintPageArea(const int32_t* box);
    // The page painted again where something was drawn over it plainly
    // since the last paint, and within `box` (database units; null: none):
    // the area alone when RepaintPageArea can, else the whole canvas; at
    // the next turn of the event loop while a drawing context is open or a
    // paint runs.
    void RepaintDrawnOver(const int32_t* box);
    // Draws the highlight shown again from the design as it is now.
    void RedrawHighlight();
    // Refreshes the viewport picture when it is shown.
    void RedrawView();
    // Blinks, viewport and placement overlays the paint and BeginCommand call.
    void BlinkEntry();
    void BlinkGate();
    void BlinkCompFrame();
    void BlinkBranch();
    void BlinkNet();
    void BlinkNode();
    void BlinkItem();
    void DrawBranchHighlight(int32_t flag);
    void DrawPageBitmaps();
    void DrawRouterImage();
    void PaintPlacementZones();
    void DrawPlacementCells(int32_t& kind);
    void ShowPlacementCells();
    void EraseViewCross();
    void SyncViewMode();
    void DrawCmdObjectInView(int32_t id, int32_t drawMode);
    // Viewport (editor/view/schmain_viewport.cpp).
    void DrawViewPage();
    void DrawViewCross(int32_t x, int32_t y);
    void DrawViewBranchHighlight(int32_t flag);
    // Cursor cross, read-out, markers and input points (editor/view/schmain_cursor.cpp).
    void DrawCursorCross(int32_t full, int32_t small, int32_t x, int32_t y);
    void ShowCoords(int32_t x, int32_t y);
    void DrawMarker(int32_t index, int32_t drawMode);
    void ClearMarkers(int32_t all);
    void InputRefPoint(int32_t how);
    void InputPointXY(int32_t& x, int32_t& y, int32_t method, int32_t markerIndex);
    // Item and block geometry of the running command (editor/view/schmain_geometry.cpp).
    void RotateItemPoints();
    void RotateBlockPoint(int32_t& x, int32_t& y, int32_t& angle, int32_t& sign);
    void RotateMovePoint(int32_t& x, int32_t& y, int32_t& angle, int32_t& sign);
    void GetItemExtent(int32_t& x, int32_t& y);
    void RebaseItemOnHandle();
    void ReadBlockHeader(int32_t& status, const std::string& fileName);
    void FrameSymbolItem(int32_t symbol, int32_t itemIndex, int32_t& x1, int32_t& y1, int32_t& x2, int32_t& y2);
    void LockCompsByPrefix(std::string& prefix);
    // Printing, screen copy and popups (editor/view/schmain_canvas_print.cpp).
    void PrintPage();
    void SetPrintBusy(bool& start, std::string& text);
    void CopyScreenArea();
    void PopupMenuAtCursor(MenuItem& menu, double& x, double& y);
    // The page's pictures on a printer sheet (editor/documents).
    void DrawPrinterBitmaps(int32_t device);

    void ViewPicture_Paint();
    void F_PICView_Paint();
    void F_PICView_MouseMove(int Button, int Shift, double X, double Y);
    void F_PICView_MouseUp(int Button, int Shift, double X, double Y);
    void F_PICView_Resize();
    void ViewHScroll_Change();
    void ViewVScroll_Change();
    void ZoomCombo_Click();
    void ZoomCombo_KeyPress(int& KeyAscii);
    void ZoomCombo_LostFocus();
    void cmdMagnify_MouseDown(int Index, int Button, int Shift, double X, double Y);
    void RedrawBtn_Click();
    void ZoomMode_Click();
    void ZoomMode_KeyPress(int& KeyAscii);
    void ZoomMode_LostFocus();
    void GridCheck3D_Click();
    void F_Tsizes_Click();
    void F_Tsizes_KeyPress(int& KeyAscii);
    void F_Tsizes_LostFocus();
    void F_GridSnap_Click(int Index);
    void F_GridSnap_KeyPress(int Index, int& KeyAscii);
    void F_GridSnap_LostFocus(int Index);
    void F_Tsize_Click();
    void F_Tsize_KeyPress(int& KeyAscii);
    void F_Tsize_LostFocus();
    void F_Pages_Click();
    void F_Pages_KeyPress(int& KeyAscii);
    void F_Pages_LostFocus();
    void F_MenuPan_MouseDown(int Button, int Shift, double X, double Y);
    void F_FSI_Click(int Index, bool Value);
    void F_FSI_MouseMove(int Index, int Button, int Shift, double X, double Y);
    void F_FSI_MouseUp(int Index, int Button, int Shift, double X, double Y);
    void F_OST_Click(int Index, bool Value);
    void F_OST_MouseMove(int Index, int Button, int Shift, double X, double Y);
    void F_OST_MouseUp(int Index, int Button, int Shift, double X, double Y);
    void F_FrmCmd_Change();
    void F_Bitm_Change();
    void F_Short_Change();
    // Drag feedback of the tool panels (editor/view/schmain_panels.cpp); State
    // 0 when the drag enters the control, 2 while it moves over it.
    void F_FSIPan_DragOver(double X, double Y, int State);
    void F_OSTPan_DragOver(double X, double Y, int State);
    void F_OST_DragOver(int Index, double X, double Y, int State);
    void F_OST_DragDrop(int Index, double X, double Y);
    // Lets the two tool panels and the option buttons take drags into the
    // procedures above; to be called once the tool panels exist (a further
    // call changes nothing).
    void ConnectPanelDrags();
    void M_Ccolor_Click(int Index);
    void M_Scolor_Click(int Index);
    void M_DrawStyle_Click(int Index);
    void M_FSI_Click(int Index);
    void M_Short_Click();
    void M_Tbar_Click();
    void M_Sbars_Click();
    void M_Tpan_Click();
    void M_ViewPort_Click();
    void M_InstName_Click();
    void M_SRatsnest_Click();
    void M_NRatsnest_Click();
    void M_TcModeSLN_Click(int Index);
    void M_Coords_Click();
    void M_XYMeasure_Click(int Index);
    void M_Imap_Click(int Index);
    void M_HierStack_Click();
    QPoint ReportPoint() const;
    void M_HierStructure_Click();
    void M_Nodes_Click();
    void M_Ratsnest_Click();
    void M_Pnotes_Click();
    void M_Dnotes_Click();
    void M_Bitmaps_Click();
    void M_Entry_Click();
    void M_Mono_Click();
    void M_Inches_Click();
    void M_Mm_Click();
    void M_Help_Click();

    // ---- Subsystem 4: interaction ---------------------------------------------
    // Commands and tool panels (editor/interaction/schmain_tools.cpp).
    void BeginCommand(int32_t& id);
    void SetupFunctionButtons(int32_t& mode);
    void SetupOptionButtons(int32_t& mode, int32_t& func);
    void ShowMessage(const std::string& text);
    void UnlockCompsByPrefix(std::string& prefix);
    void ViewPicture_MouseDown(int Button, int Shift, double X, double Y);
    void ViewPicture_MouseMove(int Button, int Shift, double X, double Y);
    void ViewPicture_MouseUp(int Button, int Shift, double X, double Y);
    void Form_KeyDown(int& KeyCode, int& Shift) override;
    void Form_KeyPress(int& KeyAscii) override;
    void Form_KeyUp(int& KeyCode, int& Shift) override;
    // Canvas pointer input and snapping (editor/interaction/schmain_pointer.cpp).
    void DispatchPointerAction(int& Shift, int32_t& x, int32_t& y);
    void DispatchModeClick(int32_t& x, int32_t& y);
    void SnapPoint(int32_t& unchanged, int32_t& x, int32_t& y);
    // A preview's pointer point snapped unless Shift is held; false (the
    // canvas context closed) when the snapped point has not changed, so the
    // preview has nothing new to draw.
    bool SnapPreviewPoint(int Shift, int32_t& x, int32_t& y);
    void SnapAngle(int32_t& unchanged, double& angle);
    // The menus and page list of an idle editor enabled again.
    void EnableIdleControls();
    // The step engine (editor/interaction/command_steps.cpp): one step of
    // the current command; the common end of a command.
    void ExecuteCommandStep(int32_t& x, int32_t& y);
    void EndCommand(int32_t entryId);
    // Mode clicks (editor/interaction/schmain_modeclicks.cpp).
    void BlockModeClick(int32_t& x, int32_t& y);
    void BitmapModeClick(int32_t& x, int32_t& y);
    void PageFormatModeClick(int32_t& x, int32_t& y);
    // Previews (editor/interaction/schmain_previews.cpp).
    void PreviewBlock(int& Shift, int32_t& X, int32_t& Y, int32_t Kind);
    void PreviewBlockScale(int& Shift, int32_t& X, int32_t& Y, int32_t Kind);
    void PreviewBitmap(int& Shift, int32_t& X, int32_t& Y);
    void PreviewVector(int& Shift, int32_t& X, int32_t& Y);
    // Notes items (editor/interaction/schmain_mode_item*.cpp, item_geometry.cpp,
    // schmain_preview_item.cpp): the idle click of the two notes modes, the
    // shape of the edited item from the pointer (result 0 when the record was
    // updated) and the previews of the item move and reshape commands.
    void ItemModeClick(int32_t& X, int32_t& Y);
    void CalcItemGeometry(int32_t& result, int32_t& kind, int32_t& x, int32_t& y);
    void PreviewItem(int& Shift, int32_t& X, int32_t& Y);
    void PreviewItemEdit(int& Shift, int32_t& X, int32_t& Y);
    // The parts of the item click, by function.
    bool HitSymbItem(int32_t& X, int32_t& Y);
    void ItemInputPoint(int32_t& X, int32_t& Y);
    void NewItemClick(int32_t& X, int32_t& Y);
    void ItemCopyClick(int32_t& X, int32_t& Y);
    void ItemPropertiesClick(int32_t& X, int32_t& Y);
    void ItemDeleteClick(int32_t& X, int32_t& Y);
    void EditItemText(int32_t& X, int32_t& Y);
    // Text previews (editor/interaction/schmain_preview_text.cpp): the
    // component text (5, 10), a wire or notes text of owner kind 4 or 0
    // (37, 38, 65, 73) and the outline of a text block (64).
    void PreviewCompText(int& Shift, int32_t& X, int32_t& Y);
    void PreviewText(int& Shift, int32_t& X, int32_t& Y, int32_t& OwnerKind, int32_t& OwnerId);
    void PreviewTextBlock(int& Shift, int32_t& X, int32_t& Y);
    // Net mode (editor/interaction/schmain_mode_net.cpp, the preview of the
    // next-node command in schmain_preview_net.cpp): the idle click by the
    // selected function and the one function each.
    void NetModeClick(int32_t& x, int32_t& y);
    void NetFromPinsClick(int32_t x, int32_t y);
    void SplitNetClick(int32_t x, int32_t y);
    void DisconnectPinClick(int32_t x, int32_t y);
    void DeleteNetClick(int32_t x, int32_t y);
    void NetAsTextClick(int32_t x, int32_t y);
    void NetWiresClick(int32_t x, int32_t y, bool clear);
    void PreviewNextNode(int& Shift, int32_t& X, int32_t& Y);
    // Net mode's option release (editor/interaction/schmain_mode_net.cpp):
    // option 2 of the net test compares the net with the layout's net list
    // in the net viewer, then shows the position the viewer chose.
    void NetCompareOptionUp(int Index);
    // Wire mode: the idle click and the wire previews
    // (editor/interaction/schmain_mode_wire.cpp, schmain_preview_wire.cpp).
    void WireModeClick(int32_t& X, int32_t& Y);
    void PreviewWire(int& Shift, int32_t& X, int32_t& Y, int32_t Kind);
    void PreviewNetWire(int& Shift, int32_t& X, int32_t& Y, int32_t Kind);
    void PreviewRepeatWire(int& Shift, int32_t& X, int32_t& Y);
    // The net or bus of the current wire on the message line.
    void ShowWireNetMessage();
    // Component mode: the idle click (schmain_mode_component.cpp), the
    // preview of a component being placed or moved and the frame of a
    // component array (schmain_preview_component.cpp).
    void ComponentModeClick(int32_t& x, int32_t& y);
    void PreviewComp(int& Shift, int32_t& X, int32_t& Y);
    void PreviewCompBlock(int& Shift, int32_t& X, int32_t& Y);
    // Functions 5 (delete), 6 (packaging) and 7 (lock) of the click; function
    // 10 with option 1, back to the level above (status 0 when the level
    // changed).
    void DeleteCompOrText(int32_t x, int32_t y);
    void PackagingClick(int32_t x, int32_t y);
    void LockClick(int32_t x, int32_t y);
    void GoUpOneLevel(int32_t& status);

    // ---- Subsystem 5: editing -------------------------------------------------
    void M_Yes_Click();
    void M_No_Click();
    // Wires, nets, buses and page cleaning (editor/editing/schmain_*.cpp).
    // `fail` is 1 on entry and 0 only on success.
    // The question popup at the pointer and the one-shot option 10.
    void PopupConfirm(const std::string& question, double& X, double& Y);
    void LatchOption10();
    // Wire and net creation (schmain_wiredraw.cpp, schmain_wireends.cpp).
    void CreateWireNet(int32_t& fail, bool onlyAtPin, bool joinWires, int32_t& X, int32_t& Y);
    void PromptNetName(int32_t& fail, int32_t& net, std::string& name, int32_t& flags);
    void ConnectWireEndAt(int32_t& fail, bool& merged, bool onlyAtPin, bool joinWires, int32_t& X, int32_t& Y);
    void JoinFreePin(int32_t& fail);
    void JoinConnectedPin(int32_t& fail, bool& merged);
    void JoinNetAtJunction(int32_t& fail, bool& merged);
    void JoinNetAtSegment(int32_t& fail, bool& merged);
    void JoinBusAtJunction(int32_t& fail, bool& merged);
    void JoinBusAtSegment(int32_t& fail, bool& merged);
    void AskBusMemberIndex(int32_t& fail, int32_t& net, int32_t bus, int32_t& index);
    void WireDrawStep(int32_t& fail, int32_t& X, int32_t& Y);
    // Net merge, rename and split (schmain_netmerge.cpp).
    void NetPickStep(int32_t X, int32_t Y);
    void ConfirmNetMerge(int32_t& fail, int32_t& targetNet, int32_t& sourceNet);
    void RenameNet(int32_t& fail, int32_t net, std::string& name, int32_t& flags);
    void EstablishConnectivity(int32_t& fail, int32_t stage, int32_t X, int32_t Y);
    // Buses (schmain_buses.cpp).
    void DeleteBus(int32_t& fail, int32_t X, int32_t Y);
    void DeleteBusMember(int32_t& fail, int32_t X, int32_t Y);
    void ExchangeBusMembers(int32_t& fail, int32_t step, int32_t X, int32_t Y);
    void RenameBus(int32_t& fail, int32_t bus, const std::string& name);
    // Wire edits and name texts (schmain_wireedits.cpp).
    void DeleteWireParts(int32_t& fail, int32_t X, int32_t Y);
    void SplitBranchAtSegment();
    void DropMovingWireEnd(int32_t& fail);
    void DeleteBranchStretch();
    void StepBackWirePoint(int32_t& fail);
    void ChangeNetText(int32_t& fail, bool editExisting);
    // Page frame, page cleaning, component deletion (schmain_pageclean.cpp).
    void EditPageFrame(int32_t mode);
    void CleanPage();
    void RemoveComponent(int32_t comp);
    // Nets from pins, repeated wires, bend points (schmain_netpins.cpp).
    void CreateNet(int32_t& fail, bool fromText, int32_t& net, std::string& name, NetRec& netRec);
    void BuildRepeatWire();
    void InsertBranchPoint(int32_t& fail, int32_t junctionKindFlag, int32_t markMode, int32_t buttonIndex,
                           int32_t commandId, int32_t X, int32_t Y);
    // Placement from the insertion dialogs (schmain_compplace.cpp): status 0
    // when a component was created (its id in g_CompInfo), 1 otherwise.
    void OpenCompDialog(int32_t& status, int32_t mode, int32_t X, int32_t Y);
    void PlaceCompArray();
    // Part exchange and unpacked copy (schmain_compedit.cpp).
    void ChangeCompDevice(int32_t& status);
    void CopyCompUnpacked(int32_t& status, int32_t compId, int32_t X, int32_t Y);
    // Component texts (schmain_comptexts.cpp): existing -1 a picked text, 0
    // the component; status 0 when a new text is to be moved.
    void ChangeCompTexts(int32_t& status, int32_t existing);
    // Gate exchange and pin swap (schmain_gateswap.cpp).
    void ExchangeGates();
    void SwapPins(int32_t& status, int32_t X, int32_t Y);
    // Report and hierarchy descent (schmain_compinfo.cpp).
    void ShowCompInfo();
    // Place exchange and group move (schmain_compmove.cpp).
    void SwapCompPlaces(int32_t& status, int32_t step, int32_t X, int32_t Y);
    void MoveCompsByVector(int32_t& status, int32_t step, int32_t X, int32_t Y);
    // Component lists (editor/editing/schmain_complist.cpp).
    void CreateCompsFromList();
    void RelocateCompsFromList();
    // Arc geometry and item repetition (editor/editing/schmain_arcs.cpp).
    // Points hold whole database units.
    void ArcFromThreePoints(int32_t& err, const DPoint& p1, const DPoint& p2, const DPoint& p3, DPoint& centre,
                            double& radius, double& start, double& extent);
    void CalcArcGeometry(int32_t& err, const DPoint& p1, const DPoint& p2, DPoint& centre, double& radius,
                         double& start, double alpha);
    void RepeatItemByAngle(double steps, double baseX, double baseY, double angleStep);
    void RepeatItemByOffset(double steps, double dX, double dY);

    // Graphic items of the notes drawing (editor/editing/schmain_items.cpp):
    // the items wholly inside g_SelRect, turned and moved by m_BaseX/Y,
    // m_Rotation and m_OffsetX/Y; a result beyond the drawing area changes
    // nothing. DeleteSelectedItems(False) deletes every item of g_CurSymb.
    void DeleteSelectedItems(bool& useRect);
    void CopyItemsInRect();
    void TransformItemsInRect();
    // A new item of g_CurSymb from the option panel and the point markers;
    // err 0 when made (index, kind, completion and the returned point set).
    void MakeGraphicItem(int32_t& err, int32_t& x, int32_t& y, int32_t& link, int32_t& completion, int32_t& index,
                         int32_t& kind);
    void TakeItemOptions();
    void UnmarkCurrentItem();
    // Unmarks the current item and unloads the item property editor.
    void UnloadItemEditor();
    // Block operations (editor/editing/schmain_blockops.cpp): op is one of
    // BLOCK_MOVE .. BLOCK_TO_PAGE, objects 1 components, 2 wires and their
    // texts, 4 bend points; result -1 when an object was handled. A move
    // that would take a point beyond the drawing area changes nothing.
    void ChangeBlockObjects(int32_t& op, int32_t& objects, int32_t& result);
    // Works out every new position of a move or page move into `plan`;
    // false when one would leave the drawing area.
    bool BlockMoveFits(int32_t op, int32_t objects, BlockMovePlan& plan);

    // ---- Subsystem 8: automation ----------------------------------------------
    void M_Apack_Click();
    void M_AutPlcGrdPrefix_Click();
    void M_AutPlcOrntPrefix_Click();
    void M_AutPlcGlbPara_Click();
    void M_AutPlcExecute_Click();
    void M_Aroute_Click();
    // Routing mode (editor/automation/routing_*.cpp): entering it with the
    // router's image loaded, the clicks of mode 11, the steps of the pair
    // and block commands (300, 301) that the step engine runs, and leaving
    // it with or without writing the routed wires back.
    void EnterRoutingMode();
    void RoutingModeClick(int32_t& x, int32_t& y);
    // Steps of commands 300 and 301; the pair step answers false when no
    // pair is found at the point. The block step answers true when its run
    // stopped early and it ended the command itself, keeping the reason on
    // the message line.
    bool RoutePairStep(int32_t x, int32_t y);
    bool RouteBlockStep();
    void SaveRoutedWires();
    // Leaves routing mode when the window closes: with `ask` the save
    // question first, else the routed wires are written back unasked (a
    // refused write-back is reported on standard error and the close goes
    // on with the design's wires as they were).
    void LeaveRoutingOnClose(bool ask);
    void M_PlcCell_Click(int Index);
    void M_PlcCellOff_Click();
    // Placement cells and zones (editor/automation/schmain_placement_cells.cpp,
    // placement_pattern.cpp, schmain_mode_placement.cpp,
    // schmain_preview_placement.cpp): erasing what is shown, the item blink
    // of the item modes, the pattern from a component, the clicks of modes 9
    // and 10, the previews of 211 to 217 and the pattern buttons made usable
    // again after an edit.
    void DrawPlacementSymbols();
    void BlinkCurrentItem();
    void MakePatternByComponent(int32_t comp, double x, double y);
    void PlacementCellModeClick(int32_t& x, int32_t& y);
    void PlacementZoneModeClick(int32_t& x, int32_t& y);
    void PreviewCellEdit(int& Shift, int32_t& x, int32_t& y);
    void PreviewZoneEdit(int& Shift, int32_t& x, int32_t& y);
    void UnlockPatternButtons();

    // ---- Subsystem 9: documents -----------------------------------------------
    void M_Tsave_Click();
    void M_Tload_Click();
    void M_SaveDnotes_Click();
    void M_LoadDnotes_Click();
    void M_SavePnotes_Click();
    void M_LoadPnotes_Click();
    void M_Scopy_Click();
    void M_Exit_Click();
    void M_Page_Click();
    void M_PageNew_Click();
    void M_PageClean_Click();
    void M_PageRen_Click();
    void M_PageDel_Click();
    void M_Print_Click();
    void M_Psetup_Click();
    void M_PrintSchd_Click();
    void M_PageO_Click();
    // Applies the default page format of the settings ("SchDefPage") to the
    // current page through the page format dialog (editor/documents).
    void ApplyDefaultPageFormat();
    // Shows the page format dialog modally on the current page's frame in
    // `mode` (0 rectangle, 1 corners); the dialog may replace the frame
    // branch (editor/documents).
    void ShowPageFrameDialog(int32_t mode);
    // The file dialogs of the notes and block commands: kind 0 block file,
    // 1 design notes, 2 page notes. `none` is True when no file was chosen.
    std::string SelectLoadFile(int32_t kind, bool& none);
    std::string SelectSaveFile(int32_t kind, bool& none);
    // Block files (editor/documents/schmain_block*.cpp).
    // SaveBlock: true when the block file was written (selection nonzero);
    // false when nothing was selected or after the message of a failure, the
    // file at m_BlockFilePath then as it was.
    bool SaveBlock(int32_t& selection);
    void LoadBlock(int32_t& status, bool& join);
    void PackBlockComps();
    // The path of a file in the job folder: the settings' JobDir as a folder
    // of the user's files, made when missing (editor/documents/
    // schmain_files.cpp). The backup and the block copy's scratch file go
    // there.
    static std::string JobFilePath(const std::string& name);

    // The window's client area (below the menu bar), while loaded.
    QWidget* ClientWidget() const { return clientArea_; }

protected:
    std::unique_ptr<QWidget> CreateWindow() override;
    void ForgetControls() override;
    QWidget* ClientArea() const override { return clientArea_; }
    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int mode) override;
    void Form_Unload(int& cancel) override;
    void Form_Resize() override;

private:
    // Window construction (schmain_window.cpp, schmain_menus.cpp).
    void CreateSettingsPanel(QWidget* client);
    void CreateToolPanels(QWidget* client);
    void CreateCanvasAndStatus(QWidget* client);
    void CreateHiddenFields(QWidget* client);
    void CreateMenus(QMainWindow* window);
    // Sizes and places the controls for the client area (schmain_layout.cpp).
    void LayOutControls();

    // View helpers (editor/view).
    void PlayOnCanvas(int32_t& metafile);
    void PlayInViewport(int32_t& metafile);
    void RecordHighlight(int32_t kind);
    void DrawCommandBlink();
    void StorePageView();
    void ZoomOnComponent();
    void KeepViewInLimits(Canvas& canvas, int32_t& size, int32_t& orgX, int32_t& orgY, bool canvasView);
    void SetDisplayUnit(int32_t unit);
    void RedrawViewport();
    void RedrawCanvasAndView();
    bool FindItemAtPoint(int32_t x, int32_t y);
    // Command helpers (editor/interaction).
    int32_t CurrentNet() const;
    void RunPreparation(Prep step);
    void RunObjectPreparation(Prep step);
    // Pointer and preview helpers (editor/interaction).
    void LeftRelease(int32_t x, int32_t y);
    void SetFormCursorIdle();
    bool OptionOn(int n);
    void ReleaseOption(int n);
    void RecordOverlay(int32_t x, int32_t y, const std::function<void()>& draw);
    bool CarryPoint(int Shift, int32_t& X, int32_t& Y, int32_t Kind, int32_t& px, int32_t& py, bool& handle,
                    int32_t& hx, int32_t& hy);
    bool DrawnBox(int Shift, int32_t& X, int32_t& Y);
    void ShowBlockReadout(int32_t Kind);
    // Text previews: records the XOR drawing, then the rotation handle from
    // (hx, hy) to (cx, cy) with the cursor cross at its end when `handle`,
    // else the cursor cross at (x, y); closes the canvas context.
    void RecordTextOverlay(int32_t x, int32_t y, bool handle, int32_t hx, int32_t hy, int32_t cx, int32_t cy,
                           const std::function<void()>& draw);

    QMainWindow* mainWindow_ = nullptr;
    QWidget* clientArea_ = nullptr;
};

// The operations of ChangeBlockObjects.
constexpr int32_t BLOCK_MOVE = 1;
constexpr int32_t BLOCK_DELETE = 2;
constexpr int32_t BLOCK_LOCK = 3;
constexpr int32_t BLOCK_UNLOCK = 4;
constexpr int32_t BLOCK_TO_PAGE = 5;

// The main window; every module reaches its public procedures through it.
extern SCHMAIN* g_MainForm;

// Path of the editor's help file, the program directory, and the title used
// in message box captions.
extern std::string g_HelpFile;
extern std::string g_ProgDir;
extern std::string g_AppTitle;
// Layout and paint guards of the main window. g_ResizeLock (alias
// g_SuspendRedraw): the start-up or a dialog suspends canvas refreshes;
// g_FirstResize (alias g_FirstLayout): the next complete layout is the
// first; g_NoPaint: the canvas paint procedure does nothing while the
// layout places the controls.
extern int32_t g_ResizeLock;
extern int32_t g_FirstResize;
extern bool g_NoPaint;

// Whether another instance of the editor is running. The first call claims
// the instance lock for this process; tests point it elsewhere or switch it
// off with the environment variable PALVANE_INSTANCE_LOCK (a path, or "off").
bool AppPrevInstance();
