-- Music segments: named starting points in tracker modules. Scripts start one with
-- GetAudio():PlaySegment(name); a segment of the module already playing only moves its
-- position. Order and Row give the start; Bias is the music volume factor.
AudioSegments =
{
   { Name = "menu", File = "sounds/menu.mod", Bias = 0.8, Order = 0, Row = 0 },
}
