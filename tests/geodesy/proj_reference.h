#pragma once

// A PROJ operation for comparisons: PROJ is the independent reference the
// geodesy results are measured against, never part of the program.

#include <proj.h>

#include <stdexcept>
#include <string>

namespace nivora::geodesy::test {

class ProjOperation {
  public:
    explicit ProjOperation(const std::string& definition) : ctx_(proj_context_create()) {
        pj_ = proj_create(ctx_, definition.c_str());
        if (pj_ == nullptr) throw std::runtime_error("PROJ rejects: " + definition);
    }
    // A conversion between two CRSs of the EPSG registry.
    ProjOperation(const std::string& source, const std::string& target)
        : ctx_(proj_context_create()) {
        pj_ = proj_create_crs_to_crs(ctx_, source.c_str(), target.c_str(), nullptr);
        if (pj_ == nullptr)
            throw std::runtime_error("PROJ has no operation " + source + " -> " + target);
    }
    ~ProjOperation() {
        if (pj_) proj_destroy(pj_);
        proj_context_destroy(ctx_);
    }
    ProjOperation(const ProjOperation&) = delete;
    ProjOperation& operator=(const ProjOperation&) = delete;

    PJ_COORD forward(double a, double b, double c = 0) const { return trans(PJ_FWD, a, b, c); }
    PJ_COORD inverse(double a, double b, double c = 0) const { return trans(PJ_INV, a, b, c); }
    // Factors at a longitude and latitude in degrees (for a projection).
    PJ_FACTORS factors(double lonDeg, double latDeg) const {
        return proj_factors(pj_, proj_coord(proj_torad(lonDeg), proj_torad(latDeg), 0, 0));
    }

  private:
    PJ_COORD trans(PJ_DIRECTION d, double a, double b, double c) const {
        return proj_trans(pj_, d, proj_coord(a, b, c, 0));
    }

    PJ_CONTEXT* ctx_;
    PJ* pj_ = nullptr;
};

}  // namespace nivora::geodesy::test
