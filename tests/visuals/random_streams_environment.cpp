#include "city/random_streams_environment.h"

testing::Environment* const kVisualsRandomStreams = testing::AddGlobalTestEnvironment(new RandomStreamsEnvironment);
