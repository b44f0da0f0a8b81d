#include "session/property.h"

#include <exception>
#include <new>

#include "base/quote.h"
#include "calc/parameters.h"

namespace lodra {

std::string PropertyStand::message() const {
    return error ? standMessage(*error) : std::string();
}

std::optional<double> PropertyStand::nuvardeKr() const {
    if (!figures || !hektar) {
        return std::nullopt;
    }
    return figures->nuvarde * *hektar;
}

namespace {

std::string columnName(const Refusal& refusal) {
    if (refusal.field == InputField::tree) {
        return std::string(kDiameterColumn) + std::to_string(refusal.row);
    }
    const ParameterRow* row = parameterRow(refusal.field);
    return row != nullptr ? std::string(row->column) : "?";
}

}  // namespace

std::string standMessage(const Error& error) {
    if (error.status != Status::Refused || error.refusal.field == InputField::None) {
        return error.message;
    }
    const Refusal& refusal = error.refusal;
    const std::string column = "kolumn " + columnName(refusal);
    switch (refusal.reason) {
        case RefusalReason::NotANumber:
            break;
        case RefusalReason::Empty:
            return column + " är tom.";
        case RefusalReason::OutOfRange:
            return column + ": " + inQuotes(refusal.text) + " kan inte användas. " + refusal.rule;
    }
    return column + ": " + inQuotes(refusal.text) + " är inte ett tal.";
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
