#pragma once

// The report handed over, on paper or as PDF: the stand, the latest calculation's texts, the
// development chart and the fellings, and the comparison and the spread when they were
// calculated, each as the development window shows it.

#include <QAbstractItemModel>
#include <QLocale>
#include <QString>
#include <array>
#include <memory>
#include <optional>

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

class HandoverReport {
  public:
    explicit HandoverReport(HandoverSources sources) : sources_(std::move(sources)) {}

    // The report as it stands now.
    std::unique_ptr<Handover> document() const;

  private:
    void addCalculation(Handover& doc) const;
    void addComparison(Handover& doc) const;
    void addSpread(Handover& doc) const;

    HandoverSources sources_;
};

}  // namespace lodra
