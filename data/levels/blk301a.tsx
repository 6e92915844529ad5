<?xml version="1.0"?>
<tileset version="1.8" tiledversion="1.8.2" name="blk301a" tilewidth="24" tileheight="24" tilecount="30" columns="0">
 <grid orientation="orthogonal" width="1" height="1" />
 <tile id="0">
  <image width="24" height="24" source="tiles/TILE0001.PNG" />
 </tile>
 <tile id="1">
  <image width="24" height="24" source="tiles/TILE0002.PNG" />
 </tile>
 <tile id="2">
  <image width="24" height="24" source="tiles/TILE0003.PNG" />
 </tile>
 <tile id="3">
  <image width="24" height="24" source="tiles/TILE0004.PNG" />
 </tile>
 <tile id="4">
  <image width="24" height="24" source="tiles/TILE0005.PNG" />
 </tile>
 <tile id="5">
  <image width="24" height="24" source="tiles/TILE0006.PNG" />
 </tile>
 <tile id="6">
  <image width="24" height="24" source="tiles/TILE0007.PNG" />
 </tile>
 <tile id="7">
  <image width="24" height="24" source="tiles/TILE0008.PNG" />
 </tile>
 <tile id="8">
  <image width="24" height="24" source="tiles/TILE0009.PNG" />
 </tile>
 <tile id="9">
  <image width="24" height="24" source="tiles/TILE0010.PNG" />
 </tile>
 <tile id="10">
  <image width="24" height="24" source="tiles/TILE0011.PNG" />
 </tile>
 <tile id="11">
  <image width="24" height="24" source="tiles/TILE0012.PNG" />
 </tile>
 <tile id="12">
  <image width="24" height="24" source="tiles/TILE0013.PNG" />
 </tile>
 <tile id="13">
  <image width="24" height="24" source="tiles/TILE0014.PNG" />
 </tile>
 <tile id="14">
  <image width="24" height="24" source="tiles/TILE0015.PNG" />
 </tile>
 <tile id="15">
  <image width="24" height="24" source="tiles/TILE0016.PNG" />
 </tile>
 <tile id="16">
  <image width="24" height="24" source="tiles/TILE0017.PNG" />
 </tile>
 <tile id="17">
  <image width="24" height="24" source="tiles/TILE0018.PNG" />
 </tile>
 <tile id="18">
  <image width="24" height="24" source="tiles/TILE0019.PNG" />
 </tile>
 <tile id="19">
  <image width="24" height="24" source="tiles/TILE0020.PNG" />
 </tile>
 <tile id="20">
  <image width="24" height="24" source="tiles/TILE0021.PNG" />
 </tile>
 <tile id="21">
  <image width="24" height="24" source="tiles/TILE0022.PNG" />
 </tile>
 <tile id="22">
  <image width="24" height="24" source="tiles/TILE0023.PNG" />
 </tile>
 <tile id="23">
  <image width="24" height="24" source="tiles/TILE0024.PNG" />
 </tile>
 <tile id="24">
  <image width="24" height="24" source="tiles/TILE0025.PNG" />
 </tile>
 <tile id="25">
  <image width="24" height="24" source="tiles/TILE0026.PNG" />
 </tile>
 <tile id="26">
  <image width="24" height="24" source="tiles/TILE0027.PNG" />
 </tile>
 <tile id="27">
  <image width="24" height="24" source="tiles/TILE0028.PNG" />
 </tile>
 <tile id="28">
  <image width="24" height="24" source="tiles/TILE0029.PNG" />
 </tile>
 <tile id="29">
  <image width="24" height="24" source="tiles/TILE0030.PNG" />
 </tile>
</tileset>
