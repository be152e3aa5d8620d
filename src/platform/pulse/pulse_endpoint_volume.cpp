#include "platform/pulse/pulse_endpoint_volume.h"

#include <cmath>

#include "core/rounding.h"

namespace sonavel {

int32_t PulseEndpointVolume::SetMasterVolumeLevelScalar(float level) {
  if (!(level >= 0.0f && level <= 1.0f)) return 1;  // also NaN
  PulseConnection::Lock lock(*c_);
  struct Query {
    bool found = false;
    uint8_t channels = 0;
  } q;
  pa_operation* op = pa_context_get_sink_info_by_name(
      c_->Context(), "@DEFAULT_SINK@",
      [](pa_context*, const pa_sink_info* i, int eol, void* u) {
        if (eol || !i) return;
        auto* q = static_cast<Query*>(u);
        q->found = true;
        q->channels = i->channel_map.channels;
      },
      &q);
  if (!c_->WaitOperation(op, 2.0) || !q.found || q.channels == 0) return 1;
  pa_cvolume volume;
  const auto raw = static_cast<pa_volume_t>(RoundHalfEven(static_cast<double>(level) * PA_VOLUME_NORM));
  pa_cvolume_set(&volume, q.channels, raw);
  struct Result {
    bool ok = false;
  } r;
  op = pa_context_set_sink_volume_by_name(
      c_->Context(), "@DEFAULT_SINK@", &volume,
      [](pa_context*, int success, void* u) { static_cast<Result*>(u)->ok = success != 0; }, &r);
  return c_->WaitOperation(op, 2.0) && r.ok ? 0 : 1;
}

}  // namespace sonavel
