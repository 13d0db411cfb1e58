#include "AnalysisView.h"

#include "Controls.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>

namespace {

using Controls::named;

// A figure as the page shows it: the system's decimal separator, `decimals` places.
QString figure(double value, int decimals) {
    return QLocale::system().toString(value, 'f', decimals);
}

QString figure(const std::optional<double>& value, int decimals) {
    return value ? figure(*value, decimals) : QStringLiteral("—");
}

QChartView* makeChartView(QWidget* parent, const char* name, const QString& accessible,
                          const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    auto* view = named(new QChartView(chart, parent), name, accessible);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(160, 120);
    return view;
}

// Puts one bar series with `values` over `categories` into the chart, the value axis from 0
// to `top`.
void setBars(QChart* chart, const QStringList& categories, const QVector<double>& values,
             double top, const QString& valueTitle, bool whole, const QString& axisTitle = {}) {
    chart->removeAllSeries();
    // A removed axis is the caller's again: it goes with the chart's old series.
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    if (values.isEmpty())
        return;
    auto* set = new QBarSet(valueTitle);
    for (double value : values)
        set->append(value);
    auto* series = new QBarSeries;
    series->append(set);
    series->setBarWidth(0.8);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    x->setTitleText(axisTitle);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setRange(0, top);
    if (whole) {
        y->applyNiceNumbers(); // whole steps for counts
        y->setLabelFormat(QStringLiteral("%d"));
    } else {
        y->setTickCount(6); // 0, 0.2, ... 1
        y->setLabelFormat(QStringLiteral("%.1f"));
    }
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
}

QVector<double> barsOf(const QChartView* view) {
    QVector<double> bars;
    for (QAbstractSeries* series : view->chart()->series()) {
        for (const QBarSet* set : static_cast<QBarSeries*>(series)->barSets()) {
            for (int i = 0; i < set->count(); ++i)
                bars.append(set->at(i));
        }
    }
    return bars;
}

} // namespace

AnalysisView::AnalysisView(QWidget* parent)
    : QWidget(parent) {
    lblSummary = named(new QLabel(this), "lblSummary", QStringLiteral("Итоги теста"));
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setWordWrap(true);
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    grdQuestions =
        named(new QTableWidget(0, 7, this), "grdQuestions", QStringLiteral("Анализ вопросов"));
    grdQuestions->setHorizontalHeaderLabels({QStringLiteral("Вопрос"), QStringLiteral("p"),
                                             QStringLiteral("Верхняя"), QStringLiteral("Нижняя"),
                                             QStringLiteral("D"), QStringLiteral("r"),
                                             QStringLiteral("Оценка")});
    grdQuestions->verticalHeader()->hide();
    grdQuestions->verticalHeader()->setDefaultSectionSize(grdQuestions->fontMetrics().height() + 6);
    grdQuestions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdQuestions->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdQuestions->horizontalHeader()->setStretchLastSection(true);
    grdQuestions->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdQuestions->horizontalHeader()->setSectionResizeMode(6, QHeaderView::Stretch);

    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(lblSummary);
    left->addWidget(grdQuestions, 1);
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->addLayout(left, 4);
}

void AnalysisView::makeCharts() {
    // Made with the first analysis: a chart's scene costs start-up time and memory that a
    // teacher who never opens the journal should not pay.
    if (chvHistogram)
        return;
    chvHistogram = makeChartView(this, "chvHistogram", QStringLiteral("Распределение процента"),
                                 QStringLiteral("Попытки по проценту"));
    chvDifficulty = makeChartView(this, "chvDifficulty", QStringLiteral("Доля верных ответов"),
                                  QStringLiteral("Доля верных по вопросам (p)"));
    m_row->addWidget(chvHistogram, 3);
    m_row->addWidget(chvDifficulty, 3);
    chvHistogram->show();
    chvDifficulty->show();
}

void AnalysisView::clear() {
    grdQuestions->setRowCount(0);
    if (!chvHistogram)
        return;
    setBars(chvHistogram->chart(), {}, {}, 1, {}, true);
    setBars(chvDifficulty->chart(), {}, {}, 1, {}, false);
}

void AnalysisView::showMessage(const QString& message) {
    clear();
    lblSummary->setText(message);
}

void AnalysisView::showResult(const QString& subject, const QString& test,
                              const ItemAnalysis::Result& result) {
    const ItemAnalysis::Summary& s = result.summary;
    const QString heading = QStringLiteral("«%1», %2: попыток %3, исключено %4")
                                .arg(test, subject)
                                .arg(s.attempts)
                                .arg(s.excluded);
    if (!result.enoughAttempts()) {
        showMessage(heading + QStringLiteral(". ") + ItemAnalysis::notEnoughAttemptsText() +
                    QLatin1Char('.'));
        return;
    }
    lblSummary->setText(heading + QStringLiteral(", вопросов %1.\nСредний процент %2, медиана %3, "
                                                 "отклонение %4, KR-20 %5.")
                                      .arg(result.questionCount)
                                      .arg(figure(s.meanPercent, 1), figure(s.medianPercent, 1),
                                           figure(s.deviationPercent, 1), figure(s.kr20, 2)));

    grdQuestions->setRowCount(int(result.questions.size()));
    QVector<double> shares;
    QStringList numbers;
    for (int i = 0; i < result.questions.size(); ++i) {
        const ItemAnalysis::Question& q = result.questions.at(i);
        const QStringList cells{QString::number(q.number),
                                figure(q.p, 2),
                                figure(q.upper, 2),
                                figure(q.lower, 2),
                                figure(q.d, 2),
                                figure(q.r, 2),
                                ItemAnalysis::flagText(q.flag)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells.at(c));
            if (c < 6)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdQuestions->setItem(i, c, item);
        }
        shares.append(q.p);
        numbers.append(QString::number(q.number));
    }

    makeCharts();
    QVector<double> bins;
    QStringList binNames;
    int tallest = 1;
    for (int b = 0; b < int(result.histogram.size()); ++b) {
        bins.append(result.histogram.at(size_t(b)));
        tallest = std::max(tallest, result.histogram.at(size_t(b)));
        binNames.append(QString::number(b * 10)); // the bin's lower bound
    }
    setBars(chvHistogram->chart(), binNames, bins, tallest, QStringLiteral("Попыток"), true,
            QStringLiteral("процент, от … до +10 (100 % в последнем)"));
    setBars(chvDifficulty->chart(), numbers, shares, 1.0, QStringLiteral("p"), false,
            QStringLiteral("вопрос"));
}

QVector<double> AnalysisView::histogramBars() const {
    if (!chvHistogram)
        return {};
    return barsOf(chvHistogram);
}

QVector<double> AnalysisView::difficultyBars() const {
    if (!chvDifficulty)
        return {};
    return barsOf(chvDifficulty);
}
