#pragma once

#include "lists/BookmarkEntry.h"

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

class QTimer;

// What the pointer hovers over or drags.
enum CursorState {
    CursorNone = 0,
    CursorLowCut = 1,
    CursorDemod = 2,
    CursorHighCut = 3,
    CursorDbScale = 4,
    CursorFreqScale = 5,
    CursorTag = 6,
};

// One bookmark tag as drawn: where it is, and what a click on it does.
struct TagArea
{
    QRect rect;
    qint64 frequency = 0;
    int scheduleKey = 0;
};

// Nearest multiple of resolution; a half goes away from zero.
qint64 roundToResolution(qint64 f, int resolution);

// Spectrum-and-waterfall widget. The owner hands it spectra already in dB with
// the frequencies they cover; the widget draws them and reports the operator's
// tuning, passband and zoom gestures by signals. It knows nothing of the engine.
//
// Frequencies are hertz. The bins cover sampleRate hertz centred on centerFreq;
// the visible window is span hertz wide, centred fftCenterOffset from centerFreq.
class CPlotter : public QFrame
{
    Q_OBJECT

public:
    static constexpr int MaxColumns = 16384;
    // Passband changes closer together than this are reported once, with the last edges.
    static constexpr int FilterSettleMs = 100;

    explicit CPlotter(QWidget* parent = nullptr);

    QSize minimumSizeHint() const override { return QSize(50, 50); }
    QSize sizeHint() const override { return QSize(180, 180); }

    void setCenterFreq(qint64 f);
    void setDemodFreq(qint64 f);
    void setSampleRate(double rate);
    void setSpan(int s);
    void setFftCenterOffset(qint64 offset);
    void setMaxDb(double db);
    void setMinDb(double db);
    void setDbRange(double min, double max);
    void setFilterCutLimits(int lowMin, int lowMax, int highMin, int highMax, bool symmetric);
    void setFilterCuts(int low, int high);
    // Stores both edges as given, without the limits (the remote view's own edges).
    void setCutsUnchecked(int low, int high);
    void clampFilterCuts();
    void refreshBookmarks(bool redrawNow, bool nearOnly);
    // Only the owner's lock changes it: the retunes the display follows (a
    // remote user, a playback) leave a locked channel locked.
    void setTuningLocked(bool locked) { tuningLocked = locked; }
    bool isTuningLocked() const { return tuningLocked; }
    // Subtracted from a clicked frequency before it tunes (CW listens beside the carrier).
    void setClickOffset(qint64 offset) { clickOffset = offset; }

    // The spectrum is drawn at once and not kept: the caller may reuse its arrays.
    void setNewSpectrum(const double* bins, int n);
    void setNewSpectrum(const double* trace, const double* waterfall, int n);

    int xFromFreq(qint64 f) const;
    qint64 freqFromX(int x) const;
    int findNearestPeak(int x, int y) const;

    qint64 getCenterFreq() const { return centerFreq; }
    qint64 getDemodFreq() const { return demodFreq; }
    qint64 getFftCenterOffset() const { return fftCenterOffset; }
    qint64 getClickOffset() const { return clickOffset; }
    int getSpan() const { return span; }
    double getSampleRate() const { return sampleRate; }
    int getLowCut() const { return lowCut; }
    int getHighCut() const { return highCut; }
    double getMaxDb() const { return maxDb; }
    double getMinDb() const { return minDb; }
    int getHorizontalDivisions() const { return horizontalDivisions; }
    int getVerticalDivisions() const { return verticalDivisions; }
    int getDbStep() const { return dbStep; }
    int getDemodX() const { return demodX; }
    int getLowCutX() const { return lowCutX; }
    int getHighCutX() const { return highCutX; }
    int getFreqScaleY() const { return freqScaleY; }
    int getDbLabelWidth() const { return dbLabelWidth; }
    CursorState getCursorState() const { return cursorState; }
    int spectrumHeight() const { return overlayImage.height(); }
    QStringList getFrequencyLabels() const;
    const QList<TagArea>& getTagAreas() const { return tagAreas; }
    const QMap<int, int>& getPeaks() const { return peaks; }

public slots:
    void resetHorizontalZoom();
    void moveToCenterFreq();
    void moveToDemodFreq();
    void setFftPlotColor(const QColor& color);
    void setFftFill(bool enabled) { fillEnabled = enabled; }
    void setPeakHold(bool enabled);
    void setPeakDetection(bool enabled, double c);
    void updateOverlay();

signals:
    void newCenterFreq(qlonglong f);
    void newDemodFreq(qlonglong freq, qlonglong delta);
    // Declared for owners that connect them; edges travel through newFilterFreq.
    void newLowCutFreq(int f);
    void newHighCutFreq(int f);
    void newFilterFreq(int low, int high);
    void delayedNewFilterFreq(int low, int high);
    void newSpan(int new_Span);
    void newVisibleArea(qlonglong start, qlonglong stop);
    void WHATSONRequest(int key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private slots:
    void PSLOT_newFilterDef(int low, int high);
    void PSLOT_dispatchNewFilterFreq();

private:
    void redrawOverlay();
    void drawBookmarkTags(QPainter& painter, int gridBottom);
    void makeFrequencyLabels();
    // The drawn columns of a spectrum: [first, last).
    struct ColumnSpan
    {
        int first = 0;
        int last = 0;
    };
    // The level each column shows (its strongest bin) into columnLevels.
    void computeColumnLevels(int columns, qint64 startOffset, qint64 stopOffset, const double* bins,
                             ColumnSpan* span);
    // The row of each drawn column's level on a scale of height rows from maxDb down to minDb.
    void rowsOfColumns(int height, const ColumnSpan& span, int* rows) const;
    void drawSpectrum(const double* trace, const double* waterfall);
    void drawWaterfallRow(const ColumnSpan& columns);
    // The waterfall's rows from the newest down, as shown.
    QImage waterfallInOrder() const;
    void drawTraceImage();
    void composeTrace(int first, int last);
    void detectPeaks(int first, int last);
    void holdPeaks(int first, int last);
    void resetPeakHold() { peakHoldValid = false; }
    qint64 visibleStart() const { return centerFreq + fftCenterOffset - span / 2; }
    qint64 visibleStop() const { return centerFreq + fftCenterOffset + span / 2; }

    void setCursorState(CursorState state);
    CursorState hoverTarget(const QPoint& pt) const;
    const TagArea* tagAt(const QPoint& pt) const;
    void dragTo(const QPoint& pt, Qt::MouseButtons buttons);
    void dragEdge(bool lowEdge, int x, Qt::MouseButtons buttons);
    void pressOnEmptyPlace(const QPoint& pt, Qt::MouseButtons buttons);
    void zoomDbScale(int y, double factor);
    void zoomFreqScale(int x, double factor);
    void stepWithWheel(int notches, Qt::KeyboardModifiers modifiers);

    bool tuningLocked = false;
    bool peakHoldEnabled = false;
    bool peakHoldValid = false;
    int screenRows[MaxColumns] = {}; // the trace's rows of the last frame
    int waterfallScaleRows[MaxColumns] = {}; // the new waterfall row on its 255 levels
    ColumnSpan traceColumns;
    bool traceMarksPeaks = false;
    bool traceHoldsPeaks = false;
    bool traceImageStale = false; // a frame came since spectrumImage was drawn
    std::vector<QPoint> tracePoints = std::vector<QPoint>(MaxColumns); // trace of a frame
    int peakHoldRows[MaxColumns] = {};
    // Per column of the frame being drawn; the spectrum itself is not kept.
    std::vector<double> columnLevels = std::vector<double>(MaxColumns);
    int binCount = 0;
    int freqScaleY = 0;
    int dbLabelWidth = 0;
    CursorState cursorState = CursorNone;
    // The widget paints from image layers: the overlay alone, the overlay under the
    // trace's fill gradient (what shows below the trace), the two composed with the
    // trace, and the waterfall.
    QImage spectrumImage;
    QImage overlayImage;
    QImage filledOverlayImage;
    bool filledOverlayValid = false;
    // A ring of rows: the newest at waterfallTop, older ones below it and on from row 0.
    QImage waterfallImage;
    int waterfallTop = 0;
    QRgb waterfallColors[256];
    QSize widgetSize{0, 0};
    QString frequencyLabels[51];
    bool running = false;
    bool overlayPending = true;
    qint64 centerFreq = 144500000;
    qint64 fftCenterOffset = 0;
    qint64 demodFreq = 144500000;
    qint64 clickOffset = 0;
    bool centerLineEnabled = true;
    bool filterBoxEnabled = true;
    int highCut = 5000;
    int lowCut = -5000;
    int demodX = 0;
    int highCutX = 0;
    int lowCutX = 0;
    int captureDelta = 5;
    int grabOffset = 0;
    int spectrumPercent = 45;
    int lowCutMin = -25000;
    int lowCutMax = -1000;
    int highCutMin = 1000;
    int highCutMax = 25000;
    bool symmetricFilter = true;
    int horizontalDivisions = 12;
    int verticalDivisions = 6;
    double maxDb = 0;
    double minDb = -120;
    int dbStep = 20;
    int span = 96000;
    double sampleRate = 96000;
    const int freqUnits = 1000000;
    int clickResolution = 10;
    int filterClickResolution = 10;
    int dragStartX = -1;
    int dragStartY = -1;
    const int freqDigits = 3;
    int fontSize = 9;
    int hDivDelta = 60;
    int vDivDelta = 40;
    QColor traceColor{255, 240, 240};
    QColor fillTopColor;
    QColor fillBottomColor;
    QColor peakHoldColor;
    bool fillEnabled = true;
    double peakDetectCoefficient = -1;
    QMap<int, int> peaks;
    QList<TagArea> tagAreas;
    QList<BookmarkEntry> visibleBookmarks;
    int pendingLowCut = 0;
    int pendingHighCut = 0;
    QTimer* filterTimer = nullptr;
    // Wheel delta not yet worth a whole notch (high-resolution wheels, touchpads).
    int wheelRemainder = 0;
};
