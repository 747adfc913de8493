#pragma once
// The OpenAL form of the sound layer (platform/sound_device.h), with music
// decoded from Ogg Vorbis.
namespace platform {

// Makes the OpenAL device the one CreateSoundDevice gives. Headless runs keep
// the null device unless CITYRUN_SOUND=openal asks for the real one (tests
// that record the mixed output through OpenAL's file writer).
void InstallOpenAlSound();

}  // namespace platform
