-- Sprites of the story screen: the flower beside each chapter.
Sprites =
{
   { Name = "story_flower", ImageFile = "ui_img/flower.png", SpriteC = 1 },
}
