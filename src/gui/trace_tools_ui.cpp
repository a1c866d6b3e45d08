#include "gui/trace_tools_ui.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/main_window.h"
#include "app/trace_tools.h"
#include "app/user_input.h"
#include "gui/action_queue.h"
#include "gui/menu_bar.h"
#include "gui/plot_view.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {

constexpr const char* Tools = "TraceTools.";
constexpr ui::Rgb UpperColour = 0xFF40FF; // magenta: neither trace nor stored trace
constexpr ui::Rgb LowerColour = 0xFF9020; // orange
constexpr ui::Rgb FailColour = 0xFF3030;

std::string tool(const char* name) { return std::string(Tools) + name; }

// Liang-Barsky: the part of the segment inside the box; false when none is.
bool clip(double& x1, double& y1, double& x2, double& y2, double xMin, double xMax, double yMin, double yMax)
{
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {x1 - xMin, xMax - x1, y1 - yMin, yMax - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double ax = x1, ay = y1;
    x1 = ax + t0 * dx;
    y1 = ay + t0 * dy;
    x2 = ax + t1 * dx;
    y2 = ay + t1 * dy;
    return true;
}

std::vector<std::string> fieldsOf(std::string line)
{
    if (const auto comment = line.find_first_of("#!"); comment != std::string::npos)
        line.erase(comment);
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string f; in >> f;)
        out.push_back(f);
    return out;
}

} // namespace

// ================================================================ limit table

LimitTableDialog::LimitTableDialog(app::MainWindow& model, ActionQueue& queue, QWidget* parent)
    : QDialog(parent), model_(model), queue_(queue), table_(new QTableWidget(0, 6, this))
{
    setObjectName(QStringLiteral("limitTableDialog"));
    setWindowTitle(QStringLiteral("Limit Lines"));
    table_->setObjectName(QStringLiteral("limitTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Limit"), QStringLiteral("Quantity"), QStringLiteral("From (Hz)"),
                                       QStringLiteral("To (Hz)"), QStringLiteral("Value"),
                                       QStringLiteral("Value at To")});
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setVisible(true); // row numbers: the message of a bad row names its line

    std::string names;
    for (const analysis::Quantity& q : analysis::Quantities())
        names += (names.empty() ? "" : ", ") + std::string(q.name);
    auto* help = new QLabel(QStringLiteral("Frequencies in Hz, with k, M or G after the number (455k, 10M). "
                                           "Without a value at To the limit is flat. Quantities: ") +
                                qs(names) + QLatin1Char('.'),
                            this);
    help->setWordWrap(true);

    auto button = [this](const char* text, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(text), this);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton* add = button("&Add Row", "limitAddRow");
    QPushButton* remove = button("&Remove Row", "limitRemoveRow");
    QPushButton* load = button("&Load...", "limitLoad");
    QPushButton* save = button("&Save...", "limitSave");
    QPushButton* clear = button("C&lear", "limitClear");
    QPushButton* applyButton = button("A&pply", "limitApply");
    QPushButton* close = button("Close", "limitClose");
    connect(add, &QPushButton::clicked, this, [this] { addRow({}); });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = table_->currentRow();
        table_->removeRow(row >= 0 ? row : table_->rowCount() - 1);
    });
    connect(load, &QPushButton::clicked, this, [this] {
        post([this] { app::UserInput(model_).click(tool("LoadLimits")); });
    });
    connect(save, &QPushButton::clicked, this, [this] {
        apply();
        post([this] {
            // Only what applied cleanly is saved.
            std::vector<analysis::LimitSegment> parsed;
            std::string error;
            if (analysis::ParseLimits(tableText(), parsed, error))
                app::UserInput(model_).click(tool("SaveLimits"));
        });
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        post([this] { app::UserInput(model_).click(tool("ClearLimits")); });
    });
    connect(applyButton, &QPushButton::clicked, this, [this] { apply(); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, remove, load, save, clear})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(applyButton);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(help);
    layout->addLayout(buttons);
    resize(720, 360);
    setTableText(model_.traceTools().controls().at("LimitText").text());
}

void LimitTableDialog::post(std::function<void()> action) { queue_.post(std::move(action)); }

void LimitTableDialog::addRow(const std::vector<std::string>& fields)
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto* kind = new QComboBox(table_);
    kind->addItems({QStringLiteral("upper"), QStringLiteral("lower")});
    auto* quantity = new QComboBox(table_);
    for (const analysis::Quantity& q : analysis::Quantities())
        quantity->addItem(qs(q.name));
    if (fields.size() > 0)
        kind->setCurrentIndex(fields[0] == "lower" ? 1 : 0);
    if (fields.size() > 1) {
        const analysis::Quantity* q = analysis::FindQuantity(fields[1]);
        quantity->setCurrentText(q ? qs(q->name) : qs(fields[1]));
    }
    table_->setCellWidget(row, 0, kind);
    table_->setCellWidget(row, 1, quantity);
    for (int column = 2; column < 6; ++column) {
        const auto k = static_cast<std::size_t>(column);
        table_->setItem(row, column, new QTableWidgetItem(k < fields.size() ? qs(fields[k]) : QString()));
    }
}

std::string LimitTableDialog::tableText() const
{
    std::string text;
    for (int row = 0; row < table_->rowCount(); ++row) {
        std::string values;
        bool any = false;
        for (int column = 2; column < 6; ++column) {
            const QTableWidgetItem* item = table_->item(row, column);
            const std::string v = item ? ss(item->text().trimmed()) : std::string();
            // A value left out of the middle still counts as missing there.
            if (!v.empty() || column < 5) {
                values += ' ';
                values += v.empty() ? "?" : v;
            }
            any = any || !v.empty();
        }
        if (any) {
            const auto* kind = qobject_cast<const QComboBox*>(table_->cellWidget(row, 0));
            const auto* quantity = qobject_cast<const QComboBox*>(table_->cellWidget(row, 1));
            text += ss(kind->currentText()) + ' ' + ss(quantity->currentText()) + values;
        }
        text += '\n';
    }
    return text;
}

void LimitTableDialog::setTableText(const std::string& text)
{
    table_->setRowCount(0);
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const auto f = fieldsOf(line);
        if (!f.empty())
            addRow(f);
    }
}

void LimitTableDialog::apply()
{
    const std::string text = tableText();
    post([this, text] {
        app::UserInput input(model_);
        if (input.type(tool("LimitText"), text).empty())
            input.click(tool("ApplyLimits"));
    });
}

// ================================================================ menus, status, plot

TraceToolsUi::TraceToolsUi(QMainWindow& window, app::MainWindow& model, MenuBar& menus, ActionQueue& queue,
                           PlotView* plot)
    : QObject(&window), window_(window), model_(model), menus_(menus), queue_(queue), plot_(plot)
{
    QMenu* display = menus_.menu(QStringLiteral("&Display"));
    auto after = [display](QAction* a) -> QAction* {
        const QList<QAction*> all = display->actions();
        const qsizetype at = a ? all.indexOf(a) : -1;
        return at >= 0 && at + 1 < all.size() ? all[at + 1] : nullptr;
    };

    // Beside Store and Show: the reference trace and what the trace shows.
    QAction* next = after(menus_.action("DisplayMemory"));
    entry(display, next, QStringLiteral("Load &Reference Trace..."), tool("LoadReference"))
        ->setObjectName(QStringLiteral("action_loadReference"));
    display->insertSeparator(next);
    mathGroup_ = new QActionGroup(this);
    mathGroup_->setExclusive(true);
    const char* mathTexts[] = {"Show &Data", "Data &- Memory", "Data &/ Memory"};
    for (int i = 0; i < 3; ++i) {
        QAction* a = entry(display, next, QString::fromUtf8(mathTexts[i]),
                           tool("TraceMath") + "(" + std::to_string(i) + ")");
        a->setCheckable(true);
        a->setObjectName(QStringLiteral("action_traceMath_%1").arg(i));
        mathGroup_->addAction(a);
        mathEntries_.push_back(a);
    }
    display->insertSeparator(next);

    // Beside the markers: the searches, which move them.
    next = after(menus_.action("MarkerOn"));
    bandwidth_ = entry(display, next, QString(), tool("SearchBandwidth"));
    bandwidth_->setObjectName(QStringLiteral("action_searchBandwidth"));
    entry(display, next, QStringLiteral("Find R&esonance"), tool("SearchResonance"))
        ->setObjectName(QStringLiteral("action_searchResonance"));
    swrBand_ = entry(display, next, QString(), tool("SearchSwrBand"));
    swrBand_->setObjectName(QStringLiteral("action_searchSwrBand"));
    QAction* settings = menus_.addDesktopEntry(QStringLiteral("&Display"), QStringLiteral("Search Se&ttings..."), {},
                                               [this] {
        QDialog d(&window_);
        d.setWindowTitle(QStringLiteral("Search Settings"));
        auto* form = new QFormLayout(&d);
        const ui::ControlSet& c = model_.traceTools().controls();
        auto* drop = new QLineEdit(qs(c.at("SearchDrop").text()), &d);
        auto* swr = new QLineEdit(qs(c.at("SearchSwr").text()), &d);
        drop->setObjectName(QStringLiteral("searchDrop"));
        swr->setObjectName(QStringLiteral("searchSwr"));
        form->addRow(QStringLiteral("Bandwidth: dB below the peak"), drop);
        form->addRow(QStringLiteral("SWR band: the largest SWR"), swr);
        auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
        form->addRow(box);
        connect(box, &QDialogButtonBox::accepted, &d, &QDialog::accept);
        connect(box, &QDialogButtonBox::rejected, &d, &QDialog::reject);
        if (d.exec() != QDialog::Accepted)
            return;
        const std::string dropText = ss(drop->text()), swrText = ss(swr->text());
        queue_.post([this, dropText, swrText] {
            app::UserInput input(model_);
            input.type(tool("SearchDrop"), dropText);
            input.type(tool("SearchSwr"), swrText);
        });
    });
    settings->setObjectName(QStringLiteral("action_searchSettings"));
    display->removeAction(settings);
    display->insertAction(next, settings);
    display->insertSeparator(next);

    QAction* limits = menus_.addDesktopEntry(QStringLiteral("&Tools"), QStringLiteral("&Limit Lines..."), {},
                                             [this] { showLimitDialog(); });
    limits->setObjectName(QStringLiteral("action_limitLines"));
    connect(display, &QMenu::aboutToShow, this, [this] { showState(); });

    math_ = new QLabel(&window_);
    math_->setObjectName(QStringLiteral("traceMathStatus"));
    search_ = new QLabel(&window_);
    search_->setObjectName(QStringLiteral("searchResult"));
    search_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lamp_ = new QLabel(&window_);
    lamp_->setObjectName(QStringLiteral("limitLamp"));
    lamp_->setMargin(2);
    // Long results must not widen the window past the screen: the labels
    // take the room there is, and their tool tips hold the whole text.
    for (QLabel* label : {search_, lamp_}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        label->setMinimumWidth(120);
    }
    window_.statusBar()->addPermanentWidget(math_);
    window_.statusBar()->addPermanentWidget(search_, 3);
    window_.statusBar()->addPermanentWidget(lamp_, 2);

    if (plot_) {
        plot_->addOverlay([this](display::Surface& surface, const display::PlotScene& scene) {
            const app::TraceTools& t = model_.traceTools();
            const int code = model_.disp.DisplayCode;
            DrawLimits(surface, scene, scene.captions.y1 ? t.limitsShownOn(code, 1) : std::vector<analysis::LimitSegment>{},
                       scene.captions.y2 ? t.limitsShownOn(code, 2) : std::vector<analysis::LimitSegment>{});
            // The first failing point, where its quantity is on the plot.
            const auto& check = t.lastCheck();
            if (scene.smith || !check || check->passed())
                return;
            const analysis::LimitFailure& f = check->failures.front();
            for (int axis = 1; axis <= 2; ++axis) {
                const auto& captions = axis == 1 ? scene.captions.y1 : scene.captions.y2;
                if (!captions || !f.segment.quantity->isShownOn(code, axis) || !std::isfinite(f.value))
                    continue;
                surface.setScale(scene.captions.leftHz, captions->top, scene.captions.rightHz, captions->bottom);
                surface.setPenColour(FailColour);
                surface.text(f.hz, std::clamp(f.value, std::min<double>(captions->top, captions->bottom),
                                              std::max<double>(captions->top, captions->bottom)),
                             "\xC3\x97", display::TextAnchor::Centre);
            }
        });
    }
    model_.traceTools().controls().addObserver(this);
    showState();
}

TraceToolsUi::~TraceToolsUi() { model_.traceTools().controls().removeObserver(this); }

QAction* TraceToolsUi::entry(QMenu* menu, QAction* before, const QString& text, const std::string& control)
{
    QAction* a = menus_.addDesktopEntry(menu->title(), text, {}, [this, control] { click(control); },
                                        [this, control] { return app::UserInput(model_).refusal(control).empty(); });
    menu->removeAction(a);
    menu->insertAction(before, a);
    return a;
}

void TraceToolsUi::click(const std::string& control)
{
    queue_.post([this, control] { app::UserInput(model_).click(control); });
}

void TraceToolsUi::showLimitDialog()
{
    if (!dialog_)
        dialog_ = new LimitTableDialog(model_, queue_, &window_);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
}

void TraceToolsUi::controlChanged(const ui::Control& control, ui::Property property)
{
    if (control.name() == "LimitText" && property == ui::Property::Text) {
        if (dialog_ && dialog_->tableText() != control.text())
            dialog_->setTableText(control.text());
        if (plot_)
            plot_->update();
    }
    if (control.name() == "LimitLED" && plot_)
        plot_->update();
    showState();
}

void TraceToolsUi::showState()
{
    const ui::ControlSet& c = model_.traceTools().controls();
    for (int i = 0; i < 3 && i < static_cast<int>(mathEntries_.size()); ++i)
        mathEntries_[static_cast<std::size_t>(i)]->setChecked(c.at("TraceMath", i).value() != 0);
    bandwidth_->setText(QStringLiteral("Find -%1 dB &Bandwidth").arg(qs(c.at("SearchDrop").text())));
    swrBand_->setText(QStringLiteral("Find S&WR <= %1 Band").arg(qs(c.at("SearchSwr").text())));

    const std::string& math = c.at("TraceMathStatus").caption();
    math_->setText(qs(math));
    math_->setVisible(!math.empty());
    const std::string& result = c.at("SearchResult").caption();
    search_->setText(qs(result));
    search_->setToolTip(qs(result));
    search_->setVisible(!result.empty());

    const ui::Control& led = c.at("LimitLED");
    const std::string& label = c.at("LimitLabel").caption();
    lamp_->setText(QStringLiteral("Limits: ") + qs(label));
    lamp_->setToolTip(qs(label));
    const QColor colour(static_cast<int>(led.backColour() >> 16 & 0xFF), static_cast<int>(led.backColour() >> 8 & 0xFF),
                        static_cast<int>(led.backColour() & 0xFF));
    lamp_->setStyleSheet(QStringLiteral("QLabel { background: %1; color: black; }").arg(colour.name()));
    lamp_->setVisible(label != "No limits");
}

void TraceToolsUi::DrawLimits(display::Surface& surface, const display::PlotScene& scene,
                              const std::vector<analysis::LimitSegment>& y1,
                              const std::vector<analysis::LimitSegment>& y2)
{
    if (scene.smith)
        return;
    const double left = scene.captions.leftHz, right = scene.captions.rightHz;
    if (!(right > left))
        return;
    auto axis = [&](const std::optional<display::AxisCaptions>& captions,
                    const std::vector<analysis::LimitSegment>& segments) {
        if (!captions || segments.empty() || captions->top == captions->bottom)
            return;
        surface.setScale(left, captions->top, right, captions->bottom);
        const double yMin = std::min<double>(captions->top, captions->bottom);
        const double yMax = std::max<double>(captions->top, captions->bottom);
        for (const analysis::LimitSegment& s : segments) {
            double x1 = s.fromHz, v1 = s.fromValue, x2 = s.toHz, v2 = s.toValue;
            if (!clip(x1, v1, x2, v2, left, right, yMin, yMax))
                continue;
            surface.setPenColour(s.upper ? UpperColour : LowerColour);
            surface.line(x1, v1, x2, v2);
        }
    };
    axis(scene.captions.y1, y1);
    axis(scene.captions.y2, y2);
}

} // namespace orbilan::gui
