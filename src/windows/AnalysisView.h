#pragma once

#include "ItemAnalysis.h"

#include <QString>
#include <QWidget>

class QChart;
class QChartView;
class QHBoxLayout;
class QLabel;
class QTableWidget;

// The item analysis of one test, as the journal page shows it: a summary line, the table of
// questions with their verdicts, a histogram of the attempts' percent in ten bins and a bar
// chart of the share right by question.
class AnalysisView : public QWidget {
    Q_OBJECT

public:
    explicit AnalysisView(QWidget* parent = nullptr);

    // Shows the analysis of test `test` of subject `subject`. With too few attempts the summary
    // says so, and the table and charts are emptied.
    void showResult(const QString& subject, const QString& test,
                    const ItemAnalysis::Result& result);
    // Shows `message` in place of an analysis (no test chosen).
    void showMessage(const QString& message);

    QLabel* lblSummary = nullptr;         // the summary, or why there is no analysis
    QTableWidget* grdQuestions = nullptr; // one row per question
    QChartView* chvHistogram = nullptr;   // attempts by percent, ten bins
    QChartView* chvDifficulty = nullptr;  // p by question

    // The chart's bars as drawn, for the histogram (10 values) and the p chart (K values).
    QVector<double> histogramBars() const;
    QVector<double> difficultyBars() const;

private:
    void clear();
    void makeCharts();

    QHBoxLayout* m_row = nullptr;
};
