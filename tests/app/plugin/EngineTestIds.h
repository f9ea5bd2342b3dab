// The engine test plug-in's one dialog and its name field, shared by the
// plug-in and the tests that script it.
#pragma once

#include <cstdint>

namespace engine_test_ids {

inline constexpr int32_t kNameDialog = 900;
inline constexpr int32_t kNameEdit = 1001;

}  // namespace engine_test_ids
