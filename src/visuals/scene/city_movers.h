#pragma once
// The city's moving things drawn with their models, until the full scene
// passes draw them: the traffic, the people on the street, the trains,
// aircraft and boats on their paths and the harbour crane.
class CRenderer;

void DrawCityMovers(CRenderer& renderer);
