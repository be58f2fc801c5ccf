#pragma once

// Database passwords are at most this long; every password field accepts no more.
inline constexpr int kMaxPasswordLength = 14;
