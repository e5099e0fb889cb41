-- Sprites of the scenes' decals: the cloud, the lantern and the strip of light.
Sprites =
{
   { Name = "decal_cloud", ImageFile = "ui_img/cloud.png", SpriteC = 1 },
   { Name = "decal_lantern", ImageFile = "ui_img/lantern.png", SpriteC = 1 },
   { Name = "decal_light_strip", ImageFile = "ui_img/light_strip.png", SpriteC = 1 },
}
