-- Sprites of the effects' pictures: the soft dot, the spark and the petal.
Sprites =
{
   { Name = "fx_soft_dot", ImageFile = "effects/soft_dot.png", SpriteC = 1 },
   { Name = "fx_spark", ImageFile = "effects/spark.png", SpriteC = 1 },
   { Name = "fx_petal", ImageFile = "effects/petal.png", SpriteC = 1 },
}
