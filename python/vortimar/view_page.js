// The HTML view of a case: draws the parts with three.js (window.THREE, embedded before this
// script) from the data block the Python package wrote (see view.py), and moves them per step
// as the host does: matrix = translate(t) . rotate(q) . scale(s) . translate(-c), plus the
// liner's morph weight.
//
// Test hook: opened with #step=N the page shows the case's step N (or the nearest step it
// holds at or before N) and writes document.documentElement.dataset.vortimarState, a JSON
// text {step, crank_angle | time | step_value, parts, triangles, boxes: {part: [min, max]}}
// counting the parts shown and their triangles, boxes in world coordinates, and opened_ms,
// the milliseconds from the request of the page to that state. #step=N&colour=NAME also
// colours the parts by the variable NAME.
(function () {
  "use strict";
  const D = JSON.parse(document.getElementById("vortimar-data").textContent);
  const $ = (id) => document.getElementById(id);

  function decode(text, Type) {
    const bytes = atob(text);
    const out = new Uint8Array(bytes.length);
    for (let i = 0; i < bytes.length; i++) out[i] = bytes.charCodeAt(i);
    return new Type(out.buffer);
  }

  // The reader's messages about the case (a file it could not read, say) head the part list.
  for (const note of D.notes) {
    const line = document.createElement("div");
    line.textContent = "⚠ " + note;
    $("notes").append(line);
  }
  if (!D.parts.length) {
    $("message").textContent = "The case has no parts: there is nothing to show.";
    document.documentElement.dataset.vortimarState = JSON.stringify({error: $("message").textContent});
    return;
  }

  // ---- Scene -----------------------------------------------------------------------
  const canvas = $("view");
  let renderer = null;
  try {
    renderer = new THREE.WebGLRenderer({canvas: canvas, antialias: true, preserveDrawingBuffer: true});
    renderer.localClippingEnabled = true;
    renderer.setClearColor(0xf4f5f7);
  } catch (error) {
    $("message").textContent = "This browser cannot draw WebGL; the controls still work, the picture does not.";
  }
  const scene = new THREE.Scene();
  const camera = new THREE.PerspectiveCamera(35, 1, 1e-4, 1e4);
  scene.add(new THREE.HemisphereLight(0xffffff, 0x8890a0, 1.6));
  const lamp = new THREE.DirectionalLight(0xffffff, 1.4);
  camera.add(lamp);
  lamp.position.set(0.3, 0.6, 1);
  scene.add(camera);
  const section = new THREE.Plane(new THREE.Vector3(0, 1, 0), 0);

  const parts = D.parts.map(function (p) {
    const geometry = new THREE.BufferGeometry();
    const points = decode(p.points, Float32Array);
    geometry.setAttribute("position", new THREE.BufferAttribute(points, 3));
    let object, material;
    if (p.kind === "points") {
      material = new THREE.PointsMaterial({color: p.colour, size: 6, sizeAttenuation: false, vertexColors: false});
      object = new THREE.Points(geometry, material);
    } else {
      geometry.setIndex(new THREE.BufferAttribute(decode(p.triangles, Uint32Array), 1));
      // Flat shading takes each triangle's normal in the shader: the geometry needs no normals.
      material = new THREE.MeshStandardMaterial({color: p.colour, side: THREE.DoubleSide, flatShading: true,
                                                 metalness: 0.1, roughness: 0.7});
      object = new THREE.Mesh(geometry, material);
    }
    const part = {info: p, object: object, material: material, points: points, count: points.length / 3,
                  triangles: p.kind === "points" ? 0 : p.triangle_count, colour: new THREE.Color(p.colour)};
    if (p.morph) {
      part.target = decode(p.morph.target, Float32Array);
      part.weights = decode(p.morph.weights, Float32Array);
      geometry.morphAttributes.position = [new THREE.BufferAttribute(part.target, 3)];
      geometry.morphTargetsRelative = true;
      object.updateMorphTargets();
    }
    if (p.motion) {
      part.motion = {};
      for (const key of ["translation", "rotation", "scale", "centre"]) part.motion[key] = decode(p.motion[key], Float32Array);
    }
    part.values = {};
    for (const name in p.values) part.values[name] = decode(p.values[name], Float32Array);
    object.matrixAutoUpdate = false;
    object.name = p.name;
    scene.add(object);
    return part;
  });

  // ---- Motion ----------------------------------------------------------------------
  const m4 = new THREE.Matrix4(), shift = new THREE.Matrix4();
  const q = new THREE.Quaternion(), t = new THREE.Vector3(), s = new THREE.Vector3();
  function row(array, width, i) { const k = array.length / width > 1 ? i : 0; return array.subarray(k * width, k * width + width); }

  function place(part, i) {
    if (part.motion) {
      const m = part.motion, tr = row(m.translation, 3, i), ro = row(m.rotation, 4, i), c = row(m.centre, 3, i);
      const sc = row(m.scale, 1, i)[0];
      m4.compose(t.set(tr[0], tr[1], tr[2]), q.set(ro[0], ro[1], ro[2], ro[3]), s.set(sc, sc, sc));
      part.object.matrix.multiplyMatrices(m4, shift.makeTranslation(-c[0], -c[1], -c[2]));
    }
    if (part.weights) part.object.morphTargetInfluences[0] = part.weights[i];
    part.object.updateMatrixWorld(true);
  }

  function worldBox(part, i) {
    const e = part.object.matrixWorld.elements, x = part.points, w = part.weights ? part.weights[i] : 0;
    const lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
    for (let k = 0; k < x.length; k += 3) {
      let a = x[k], b = x[k + 1], c = x[k + 2];
      if (w) { a += w * part.target[k]; b += w * part.target[k + 1]; c += w * part.target[k + 2]; }
      for (let j = 0; j < 3; j++) {
        const v = e[j] * a + e[4 + j] * b + e[8 + j] * c + e[12 + j];
        if (v < lo[j]) lo[j] = v;
        if (v > hi[j]) hi[j] = v;
      }
    }
    return [lo, hi];
  }

  // ---- Colouring by a variable ------------------------------------------------------
  const stops = [[0.23, 0.30, 0.75], [0.55, 0.69, 0.99], [0.87, 0.87, 0.87], [0.96, 0.60, 0.48], [0.71, 0.02, 0.15]];
  function colourOf(f) {
    f = Math.min(1, Math.max(0, isFinite(f) ? f : 0.5)) * (stops.length - 1);
    const k = Math.min(stops.length - 2, Math.floor(f)), u = f - k;
    return new THREE.Color().setRGB(...stops[k].map((v, j) => v + u * (stops[k + 1][j] - v)));
  }
  const ranges = {};
  for (const name of D.variables) {
    let lo = Infinity, hi = -Infinity;
    for (const part of parts) for (const v of part.values[name] || []) { if (v < lo) lo = v; if (v > hi) hi = v; }
    if (lo <= hi) ranges[name] = [lo, hi];
  }
  const colourBy = $("colour-by");
  for (const name of Object.keys(ranges)) colourBy.add(new Option(name, name));

  function paint(i) {
    const name = colourBy.value, range = ranges[name];
    $("colour-bar").hidden = !range;
    for (const part of parts) {
      const values = range && part.values[name];
      const geometry = part.object.geometry;
      part.material.vertexColors = false;
      if (!values) { part.material.color.copy(range ? new THREE.Color(0x555555) : part.colour); part.material.needsUpdate = true; continue; }
      const n = values.length / D.steps.length, span = range[1] - range[0] || 1;
      if (n === 1) {
        part.material.color.copy(colourOf((values[i] - range[0]) / span));
      } else {
        const colours = new Float32Array(part.count * 3);
        for (let k = 0; k < part.count; k++) colourOf((values[i * n + k] - range[0]) / span).toArray(colours, 3 * k);
        geometry.setAttribute("color", new THREE.BufferAttribute(colours, 3));
        part.material.vertexColors = true;
        part.material.color.set(0xffffff);
      }
      part.material.needsUpdate = true;
    }
    if (range) {
      $("bar-low").textContent = range[0].toPrecision(4);
      $("bar-high").textContent = range[1].toPrecision(4);
      $("bar-name").textContent = name;
    }
  }
  const bar = $("bar-canvas").getContext("2d");
  for (let x = 0; x < 200; x++) { bar.fillStyle = "#" + colourOf(x / 199).getHexString(); bar.fillRect(x, 0, 1, 14); }

  // ---- Part list, section plane ---------------------------------------------------------
  for (const part of parts) {
    const label = document.createElement("label");
    const box = document.createElement("input");
    box.type = "checkbox";
    box.checked = true;
    box.onchange = function () { part.object.visible = box.checked; show(current); };
    const swatch = document.createElement("span");
    swatch.className = "swatch";
    swatch.style.background = part.info.colour;
    label.append(box, swatch, part.info.name);
    $("part-list").append(label);
  }
  const cut = {axis: 0, at: 0};
  function updateSection() {
    const on = $("section-on").checked, box = sceneBox;
    cut.axis = {x: 0, y: 1, z: 2}[$("section-axis").value];
    const lo = box.min.getComponent(cut.axis), hi = box.max.getComponent(cut.axis);
    cut.at = lo + $("section-at").value / 1000 * (hi - lo);
    for (const part of parts) part.material.clippingPlanes = on ? [section] : [];
    draw();
  }
  function orientSection() {
    // Keeps the half away from the camera, so that the cut faces the viewer.
    const sign = camera.position.getComponent(cut.axis) > cut.at ? -1 : 1;
    section.normal.set(0, 0, 0).setComponent(cut.axis, sign);
    section.constant = -sign * cut.at;
  }

  // ---- Time line ------------------------------------------------------------------------
  const slider = $("step");
  slider.max = D.steps.length - 1;
  const unit = {"crank angle": "°", "time": " s", "step": ""}[D.time_label];
  let current = 0;

  function describe(i) {
    const parts = [D.time_label + " " + Number(D.times[i].toPrecision(6)) + unit, "step " + D.steps[i]];
    for (const name in D.constants) {
      const all = D.constants[name], v = all[i];
      if (all.every((x) => x === all[0])) continue;     // the fixed ones (bore, speed) are not news
      parts.push(name + " " + (D.millimetres.includes(name) ? (v * 1000).toFixed(2) + " mm" : Number(v.toPrecision(5))));
    }
    return parts.join(" · ");
  }

  function state(i) {
    const boxes = {};
    let shown = 0, triangles = 0;
    for (const part of parts) {
      if (!part.object.visible) continue;
      shown += 1;
      triangles += part.triangles;
      boxes[part.info.name] = worldBox(part, i);
    }
    const out = {step: D.steps[i], parts: shown, triangles: triangles, boxes: boxes};
    out[{"crank angle": "crank_angle", "time": "time", "step": "step_value"}[D.time_label]] = D.times[i];
    return out;
  }

  function show(i) {
    current = i;
    slider.value = i;
    for (const part of parts) place(part, i);
    paint(i);
    $("readout").textContent = describe(i);
    const now = state(i);
    now.opened_ms = Math.round(performance.now());    // since the page was asked for
    document.documentElement.dataset.vortimarState = JSON.stringify(now);
    draw();
  }

  let playing = null;
  $("play").onclick = function () {
    if (playing) { clearInterval(playing); playing = null; $("play").textContent = "▶ play"; return; }
    $("play").textContent = "❚❚ pause";
    const stride = Math.max(1, Math.round(D.steps.length / 600));
    playing = setInterval(function () { show((current + stride) % D.steps.length); }, 30);
  };
  slider.oninput = function () { show(Number(slider.value)); };
  colourBy.onchange = function () { show(current); };
  for (const id of ["section-on", "section-axis", "section-at"]) $(id).oninput = updateSection;

  // ---- Camera: orbit (left drag), pan (right or shift drag), zoom (wheel) -----------------
  const sceneBox = new THREE.Box3();
  for (const part of parts) {
    place(part, 0);
    const [lo, hi] = worldBox(part, 0);
    sceneBox.expandByPoint(new THREE.Vector3(...lo)).expandByPoint(new THREE.Vector3(...hi));
  }
  const centre = sceneBox.getCenter(new THREE.Vector3());
  const view = {target: centre.clone(), distance: 2.2 * sceneBox.getSize(new THREE.Vector3()).length() || 1,
                azimuth: -0.6, elevation: 0.35};

  function placeCamera() {
    const ce = Math.cos(view.elevation), se = Math.sin(view.elevation);
    const dir = new THREE.Vector3(ce * Math.cos(view.azimuth), ce * Math.sin(view.azimuth), se);
    camera.up.set(0, 0, 1);
    camera.position.copy(view.target).addScaledVector(dir, view.distance);
    camera.near = view.distance / 1000;
    camera.far = view.distance * 100;
    camera.lookAt(view.target);
    camera.updateProjectionMatrix();
  }

  function draw() {
    if (!renderer) return;
    const w = canvas.clientWidth || 800, h = canvas.clientHeight || 600;
    if (canvas.width !== w || canvas.height !== h) renderer.setSize(w, h, false);
    camera.aspect = w / h;
    placeCamera();
    orientSection();
    renderer.render(scene, camera);
  }

  let drag = null;
  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  canvas.addEventListener("pointerdown", function (e) {
    drag = {x: e.clientX, y: e.clientY, pan: e.button === 2 || e.shiftKey};
    canvas.setPointerCapture(e.pointerId);
  });
  canvas.addEventListener("pointerup", function () { drag = null; });
  canvas.addEventListener("pointermove", function (e) {
    if (!drag) return;
    const dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    drag.x = e.clientX;
    drag.y = e.clientY;
    if (drag.pan) {
      const scale = view.distance / canvas.clientHeight;
      const right = new THREE.Vector3().setFromMatrixColumn(camera.matrixWorld, 0);
      const upward = new THREE.Vector3().setFromMatrixColumn(camera.matrixWorld, 1);
      view.target.addScaledVector(right, -dx * scale).addScaledVector(upward, dy * scale);
    } else {
      view.azimuth -= dx * 0.01;
      view.elevation = Math.max(-1.5, Math.min(1.5, view.elevation + dy * 0.01));
    }
    draw();
  });
  canvas.addEventListener("wheel", function (e) {
    e.preventDefault();
    view.distance *= Math.exp(e.deltaY * 0.001);
    draw();
  }, {passive: false});
  window.addEventListener("resize", draw);

  // ---- Clearances of the set-up check -------------------------------------------------------
  if (D.clearances && D.clearances.pairs.length) {
    $("clearance").hidden = false;
    const chart = $("clearance-chart").getContext("2d"), W = 260, H = 120;
    let lo = Infinity, hi = -Infinity;
    for (const pair of D.clearances.pairs) for (const v of pair.values) { if (v < lo) lo = v; if (v > hi) hi = v; }
    lo = Math.min(lo, 0);
    D.clearances.pairs.forEach(function (pair, k) {
      chart.strokeStyle = ["#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e"][k % 5];
      chart.beginPath();
      pair.values.forEach(function (v, i) {
        const x = i / Math.max(1, pair.values.length - 1) * W, y = H - (v - lo) / ((hi - lo) || 1) * H;
        i ? chart.lineTo(x, y) : chart.moveTo(x, y);
      });
      chart.stroke();
      const item = document.createElement("div");
      item.style.color = chart.strokeStyle;
      item.textContent = pair.name + ": least " + Math.min(...pair.values).toPrecision(3);
      $("clearance-list").append(item);
    });
    const marks = $("contact-marks");
    for (const i of D.clearances.contact_steps) {
      const mark = document.createElement("option");
      mark.value = i;
      marks.append(mark);
    }
    slider.setAttribute("list", "contact-marks");
  }

  function fromAddress() {
    const colour = /colour=([^&]*)/.exec(location.hash);
    if (colour && ranges[decodeURIComponent(colour[1])]) colourBy.value = decodeURIComponent(colour[1]);
    const match = /step=(-?\d+)/.exec(location.hash);
    if (!match) return 0;
    const wanted = Number(match[1]);
    let i = 0;
    while (i + 1 < D.steps.length && D.steps[i + 1] <= wanted) i++;
    return i;
  }
  window.addEventListener("hashchange", function () { show(fromAddress()); });
  $("section-on").checked = D.engine;      // an engine opens cut in half, to show the piston and valves
  updateSection();
  show(fromAddress());
})();
