#include "session/property.h"

#include <exception>
#include <new>

namespace lodra {

std::optional<double> PropertyStand::nuvardeKr() const {
    if (!figures || !hektar) {
        return std::nullopt;
    }
    return figures->nuvarde * *hektar;
}

namespace {

PropertyFigures figuresOf(const StandCalculation& calculation) {
    const StandState& s = calculation.s;
    PropertyFigures f;
    f.ranta = s.ranta;
    f.nuvarde = calculation.economics.nuvarde;
    f.volAvv = s.volAvv;
    // As in the result text: without a felling there are no figures per felling.
    if (s.antalAvverkningar > 0) {
        f.arMellanAvv = calculation.figures.arMellanAvv;
        f.volymPerAvv = calculation.figures.volymPerAvv;
    }
    return f;
}

}  // namespace

PropertyStand calculatePropertyStand(Session& session, const PropertyInput& stand,
                                     CalcOptions options, CycleRecord& record,
                                     std::vector<FlowYear>& flow) {
    PropertyStand out;
    out.row = stand.row;
    out.name = stand.name;
    out.hektar = stand.hektar;
    out.species = stand.input.species;
    out.measure = stand.input.measure;
    out.ranta = stand.input.ranta;
    flow.clear();
    if (stand.refusal) {
        out.error = Error{*stand.refusal, Status::Refused, {}};
        return out;
    }
    options.cycleRecord = &record;
    record.fellingCyclesOnly = true;
    record.rows.clear();
    Outcome outcome;
    try {
        outcome = session.berakna(stand.input, options);
    } catch (const std::bad_alloc&) {
        throw;  // not the stand's fault
    } catch (const std::exception&) {
        outcome = fail("Beräkningen kunde inte slutföras.");
    }
    if (!outcome.ok()) {
        out.error = outcome.error();
        return out;
    }
    out.figures = figuresOf(session.calculation);
    standFlow(session.calculation, record, flow);
    return out;
}

void PropertyTotals::add(const PropertyStand& stand, const std::vector<FlowYear>& flow) {
    if (!stand.hektar) {
        ++withoutHektar;
    }
    if (stand.refused()) {
        ++refused;
    } else if (stand.stopped()) {
        ++stopped;
    } else if (stand.calculated()) {
        ++calculated;
        if (stand.hektar) {
            area += *stand.hektar;
            value += *stand.nuvardeKr();
            flow_.add(flow, *stand.hektar);
        }
    }
}

std::optional<double> PropertyTotals::meanPerHa() const {
    if (!(area > 0)) {
        return std::nullopt;
    }
    return value / area;
}

}  // namespace lodra
