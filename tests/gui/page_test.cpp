// The printed page on paper: every text at its place in centimetres and in
// its colour, the plot image in its box, and a PDF from the same drawing.
#include <QFile>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>

#include <gtest/gtest.h>

#include "app/print_page.h"
#include "gui/page_renderer.h"
#include "support/test_platform.h"

namespace orbilan::gui {
namespace {

// A paint device that keeps what is drawn on it; 100 dots a centimetre.
class RecordingEngine : public QPaintEngine {
public:
    struct Text {
        QPointF baseline;
        QString text;
        QColor colour;
        QFont font;
    };
    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState& state) override
    {
        if (state.state() & DirtyPen)
            pen_ = state.pen();
    }
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        texts.push_back({p, item.text(), pen_.color(), item.font()});
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF& r, const QImage& image, const QRectF&, Qt::ImageConversionFlags) override
    {
        images.push_back(r);
        lastImage = image;
    }
    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i)
            this->rects.push_back(rects[i]);
    }
    Type type() const override { return QPaintEngine::User; }

    std::vector<Text> texts;
    std::vector<QRectF> images;
    std::vector<QRectF> rects;
    QImage lastImage;

private:
    QPen pen_;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 2100;
        case PdmHeight: return 2970;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 254;
        case PdmDepth: return 32;
        case PdmNumColors: return 0xFFFFFF;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return 1 * QPaintDevice::devicePixelRatioFScale();
        }
        return 0;
    }
    mutable RecordingEngine engine;
};

app::PrintSheet sheet()
{
    app::PrintSheet s;
    s.now = {"07/12/2026", "13:05"};
    s.comment = std::string(60, 'c') + "tail";
    s.plot = ui::Image{4, 2, {0, 0xFFFF00, 0x00FFFF, 0, 0, 0, 0, 0xFFFFFF}};
    s.y1Name = "dB";
    s.y1Top = "40";
    s.y1PerDiv = "20";
    s.y1Units = "dB  /div";
    s.y1Bottom = "-120";
    s.y2Name = "deg";
    s.y2Top = "180";
    s.y2PerDiv = "45";
    s.y2Units = "deg  /div";
    s.y2Bottom = "-180";
    s.freqLeft = "1";
    s.freqUnits = "2.9 MHz/div";
    s.freqRight = "30";
    s.adcType = 2410;
    s.sweepTime = "3.3";
    s.sweepPoints = 11;
    s.adcWaitMs = 10;
    s.markersShown = true;
    s.markerAFreq = "1.000000 MHz";
    s.markerAY1 = "-3.012 dB ";
    s.markerAY2 = "45.12 deg";
    return s;
}

TEST(PrintedPage, TextsLandInTheirPlacesAndColours)
{
    RecordingDevice device;
    QPainter painter(&device);
    renderPrintPage(painter, app::LayoutPrintPage(sheet()), 100, 100);
    painter.end();
    const RecordingEngine& e = device.engine;

    auto find = [&](const QString& text) -> const RecordingEngine::Text* {
        for (const auto& t : e.texts)
            if (t.text == text)
                return &t;
        return nullptr;
    };
    // Texts hang from their point: the top of the line is at y.
    auto expectAt = [&](const QString& text, double xCm, double yCm, QColor colour) {
        const auto* t = find(text);
        ASSERT_NE(t, nullptr) << text.toStdString();
        const QFontMetricsF metrics(t->font, &device);
        EXPECT_NEAR(t->baseline.x(), xCm * 100, 0.5) << text.toStdString();
        EXPECT_NEAR(t->baseline.y() - metrics.ascent(), yCm * 100, 0.5) << text.toStdString();
        EXPECT_EQ(t->colour, colour) << text.toStdString();
        EXPECT_NEAR(t->font.pointSizeF(), 10, 0.01) << text.toStdString();
    };
    expectAt("Orbilan for the Kesp VNA      Measurement taken on  07/12/2026  at  13:05", 2.5, 1.0, Qt::black);
    expectAt(QString(60, 'c'), 2.5, 2.0, Qt::black);
    expectAt("tail", 2.5, 2.0 + app::PrintLineHeightCm, Qt::black);
    expectAt("40", 2.0, 5.0, QColor(0, 0, 255));
    expectAt("dB  /div", 1.5, 12.0 + app::PrintLineHeightCm, QColor(0, 0, 255));
    expectAt("-180", 18.5, 16.7, QColor(255, 0, 0));
    expectAt("2.9 MHz/div", 10.0, 17.5, Qt::black);
    expectAt("Marker A: 1.000000 MHz   ", 4.0, 21.0, Qt::black);

    // The marker values follow on the same line, each after the one before.
    const auto* first = find("Marker A: 1.000000 MHz   ");
    const auto* blue = find("    -3.012 dB ");
    const auto* red = find("45.12 deg");
    ASSERT_TRUE(first && blue && red);
    const QFontMetricsF metrics(first->font, &device);
    EXPECT_NEAR(blue->baseline.x(), first->baseline.x() + metrics.horizontalAdvance(first->text), 0.5);
    EXPECT_NEAR(red->baseline.x(), blue->baseline.x() + metrics.horizontalAdvance(blue->text), 0.5);
    EXPECT_EQ(blue->baseline.y(), first->baseline.y());
    EXPECT_EQ(blue->colour, QColor(0, 0, 255));
    EXPECT_EQ(red->colour, QColor(255, 0, 0));

    // The plot fills 3..18 by 5..17 cm, inverted, with the frame around it.
    ASSERT_EQ(e.images.size(), 1u);
    EXPECT_EQ(e.images[0], QRectF(300, 500, 1500, 1200));
    EXPECT_EQ(e.lastImage.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(e.lastImage.pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(e.lastImage.pixel(2, 0) & 0xFFFFFF, 0xFF0000u);
    ASSERT_EQ(e.rects.size(), 1u);
    EXPECT_EQ(e.rects[0], QRectF(300, 500, 1500, 1200));
}

TEST(PrintedPage, PrintsToAPdfFile)
{
    test::TempDir dir;
    const QString path = QString::fromStdString((dir.path() / "page.pdf").string());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    ASSERT_TRUE(printPageOn(printer, app::LayoutPrintPage(sheet())));
    QFile pdf(path);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray head = pdf.read(5);
    EXPECT_EQ(head, "%PDF-");
    EXPECT_GT(pdf.size(), 1000);
}

} // namespace
} // namespace orbilan::gui
