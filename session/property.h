#pragma once

// A property: every stand of a register calculated through a session, one row per stand
// for its table, and the totals and the flow year by year over the stands that have an
// area. The sums are taken in the order the stands are added (by line), so that they do not
// depend on which thread calculated which stand.

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "calc/cyclerecord.h"
#include "calc/inputrecord.h"
#include "calc/standflow.h"
#include "session/session.h"

namespace lodra {

// What a stand's calculation gave the property's table; the figures are the report's own.
struct PropertyFigures {
    double ranta = 0;                   // %, the required rate
    double nuvarde = 0;                 // kr/ha, the report's present value
    double volAvv = 0;                  // m3sk/ha felled now
    std::optional<double> arMellanAvv;  // years between fellings; none without a felling
    std::optional<double> volymPerAvv;  // m3sk/ha a felling; none without a felling
};

// One row of the property's table.
struct PropertyStand {
    int row = 0;                      // the stand file's row (the header is row 1)
    std::optional<std::string> name;  // the bestand cell
    std::optional<double> hektar;     // ha; none: shown, but left out of every sum
    Species species = Species::gran;  // as entered
    Measure measure = Measure::gallring;
    std::string ranta;                       // the rate as entered
    std::optional<PropertyFigures> figures;  // none when not calculated
    // Why it was not calculated: the calculation's error (the front end words a refusal),
    // or a row the stand file refused, as Status::Refused with no field and its message.
    std::optional<Error> error;

    bool calculated() const { return figures.has_value(); }
    bool refused() const { return error && error->status == Status::Refused; }
    bool stopped() const { return error && error->status != Status::Refused; }
    // kr, the present value of the whole stand: kr/ha × hektar, when both are known.
    std::optional<double> nuvardeKr() const;
    // The Meddelande cell: why it was not calculated, in the batch tool's words; empty when
    // it was.
    std::string message() const;
};

// Why a stand was not calculated, as the batch tool says it after the row number: a
// refused entry by its stand-file column (`kolumn dia2: "abc" är inte ett tal.`), any other
// error by its message.
std::string standMessage(const Error& error);

// A stand of the register as the property calculates it.
struct PropertyInput {
    int row = 0;
    std::optional<std::string> name;
    std::optional<double> hektar;
    InputRecord input;
    std::optional<std::string> refusal;  // the stand file's refusal of the row
};

// Calculates one stand through session (whose texts it leaves alone when session.texts is
// Texts::none) and gives its row, and its flow per ha in flow (emptied when it was not
// calculated). options.cycleRecord is set to record, which the flow is taken from: the
// figures of the one calculation, never worked out again; it keeps the felling cycles only.
PropertyStand calculatePropertyStand(Session& session, const PropertyInput& stand,
                                     CalcOptions options, CycleRecord& record,
                                     std::vector<FlowYear>& flow);

// The totals of a property, the stands added one by one in line order.
class PropertyTotals {
  public:
    void add(const PropertyStand& stand, const std::vector<FlowYear>& flow);

    int calculated = 0;
    int refused = 0;
    int stopped = 0;
    int withoutHektar = 0;  // stands of any state without an area
    double area = 0;        // ha, of the calculated stands with an area
    double value = 0;       // kr, Σ NUVÄRDE × hektar over them: the property's present value
    // kr/ha, the area-weighted mean present value; none without any area.
    std::optional<double> meanPerHa() const;
    // Their flow, each stand times its area; its present values sum to value.
    const PropertyFlow& flow() const { return flow_; }

  private:
    PropertyFlow flow_;
};

}  // namespace lodra
