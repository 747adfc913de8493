#pragma once
// The one switch between the real platform and its headless form.
// CITYRUN_HEADLESS=1 (or any value but "0" and empty) selects headless.
namespace platform {

bool IsHeadless();
// Tests and tools may force the choice regardless of the environment.
void SetHeadless(bool headless);

}  // namespace platform
