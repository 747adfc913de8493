#include "city/random_streams_environment.h"

testing::Environment* const kCityRandomStreams = testing::AddGlobalTestEnvironment(new RandomStreamsEnvironment);
