#pragma once

#include "gt/enumeration.h"
#include "gt/pair_table.h"
#include "sl/model/entity.h"
#include "sl/model/vector_set.h"
#include "sl/model/wave_format.h"

#include <memory>
#include <string>
#include <utility>

namespace SL {

// A curve of points over time that shapes a wave's amplitude, pitch, filter or phase.
class CEnvelopePoint;

class IEnvelope : public virtual IEntity {
public:
    // How an envelope segment is interpolated towards its next point.
    class CCurveType;
    using CXRange = std::pair<std::int32_t, std::int32_t>;

    ~IEnvelope() override = default;

    // One of the envelope kinds of CWaveFormat.
    virtual CWaveFormat GetKind() const = 0;
    virtual void SetKind(const CWaveFormat& kind) = 0;
    virtual CCurveType GetCurveType() const = 0;
    virtual void SetCurveType(const CCurveType& curveType) = 0;
    // Inserts the point unless one with the same x exists; answers the point now at that x and
    // whether it is the new one.
    virtual std::pair<CEnvelopePoint, bool> Insert(const CEnvelopePoint& point) = 0;
    // The x of the first and of the last point, truncated toward zero; (0, 0) without points.
    virtual CXRange GetXRange() const = 0;
};

class IEnvelope::CCurveType : public GT::CEnumeration<IEnvelope::CCurveType> {
public:
    using CEnumeration::CEnumeration;

    static const GT::CPairTable<int, std::string>& GetTable();

    static const CCurveType LIN;
    static const CCurveType LOG;
    static const CCurveType SPL;
};

// One point of an envelope and the curve of the segment that starts there.
class CEnvelopePoint {
public:
    double x = 0.0;
    double y = 0.0;
    IEnvelope::CCurveType curveType = IEnvelope::CCurveType::LIN;
};

struct FLessX {
    bool operator()(const CEnvelopePoint& a, const CEnvelopePoint& b) const { return a.x < b.x; }
};

// The points of an envelope in ascending x, no two with the same x.
class CEnvelope : public IEnvelope, public CEntityState, public CVectorSet<CEnvelopePoint, FLessX> {
public:
    struct CProperties {
        CWaveFormat kind = CWaveFormat::AMPLITUDE_ENVELOPE;
        CCurveType curveType = CCurveType::LIN;
    };

    CEnvelope() : properties_(std::make_shared<CProperties>()) {}

    std::shared_ptr<ICloneable> Clone() const override;

    CWaveFormat GetKind() const override { return properties_->kind; }
    void SetKind(const CWaveFormat& kind) override { properties_->kind = kind; }
    CCurveType GetCurveType() const override { return properties_->curveType; }
    void SetCurveType(const CCurveType& curveType) override { properties_->curveType = curveType; }
    std::pair<CEnvelopePoint, bool> Insert(const CEnvelopePoint& point) override {
        return CVectorSet::Insert(point);
    }
    using CVectorSet::Insert;
    CXRange GetXRange() const override;

private:
    std::shared_ptr<CProperties> properties_;
};

} // namespace SL
