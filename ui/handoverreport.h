#pragma once

// The report handed over, on paper or as PDF: on its first page the stand, the economic
// results and the development chart; then the latest calculation's texts and fellings, and
// the comparison and the spread when they were calculated, each as the development window
// shows it.

#include <QAbstractItemModel>
#include <QChart>
#include <QImage>
#include <QLocale>
#include <QSizeF>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "calc/comparison.h"
#include "ui/handover.h"

namespace lodra {

class CycleModel;
class ComparisonModel;
class SpreadPage;

// What the report is made of; the models and the page outlive the report's making.
struct HandoverSources {
    HandoverFacts facts;
    const CycleModel* cycles = nullptr;
    QLocale numbers = QLocale::c();  // of the development chart
    std::array<const ComparisonModel*, MeasureComparison::kMeasures> comparison{};
    const SpreadPage* spread = nullptr;
    const QAbstractItemModel* spreadTable = nullptr;
    QString spreadText;
    // What the spread's page says instead of its histogram when every run gave the same.
    std::optional<QString> histogramText;
};

// A chart drawn at size (in the document's unit) at three times the resolution, its text at
// the report's chart size, whatever the window shows. The chart is deleted.
QImage reportChartImage(QChart* chart, QSizeF size);

// The six economic results that end a result text, as label and value with its unit, in
// the text's order (the present value last); none when the text has not got them.
std::vector<std::pair<QString, QString>> economicFigures(const QString& resultat);

class HandoverReport {
  public:
    explicit HandoverReport(HandoverSources sources) : sources_(std::move(sources)) {}

    // The report as it stands now.
    std::unique_ptr<Handover> document() const;

  private:
    void addSummary(Handover& doc) const;
    void addTexts(Handover& doc) const;
    void addComparison(Handover& doc) const;
    QString comparisonNote() const;
    void addSpread(Handover& doc) const;

    HandoverSources sources_;
};

}  // namespace lodra
